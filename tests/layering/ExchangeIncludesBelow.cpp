// Built like a source of src/exchange (linked to jf_exchange only). Every
// header here lies in exchange or below it, so this must compile.
#include "careers/CareerDatabase.h"
#include "document/EditorSession.h"
#include "exchange/Import.h"
#include "iff/IffFile.h"
#include "platform/FileSystem.h"
