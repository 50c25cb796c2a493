#include "startup/GameInstallation.h"

namespace jf {

AppState& appState() {
    static AppState state;
    return state;
}

}  // namespace jf
