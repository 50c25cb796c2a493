// Built like a source of src/careers (linked to jf_careers only). Every header
// here lies in careers or below it, so this must compile; it keeps the failing
// probe beside it from passing for some unrelated reason.
#include "careers/CareerDatabase.h"
#include "iff/IffFile.h"
#include "platform/FileSystem.h"
