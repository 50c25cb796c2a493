// Built like a source of src/exchange (linked to jf_exchange only). startup is
// a sibling of exchange, not below it, so this include must fail to compile:
// "file not found".
#include "exchange/Import.h"
#include "startup/Loader.h"
