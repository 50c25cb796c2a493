// Built like a source of src/careers (linked to jf_careers only). startup lies
// above careers, so this include must fail to compile: "file not found".
#include "careers/CareerDatabase.h"
#include "startup/Loader.h"
