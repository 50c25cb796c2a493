// Kept apart from the rest of start-up so that discovery links without the
// container layer.
#include "iff/IffFile.h"
#include "startup/Startup.h"

namespace jf {

bool finishRun(IffView& careerView, IffView& cardView) {
    careerView.reset();
    cardView.reset();
    return false;
}

}  // namespace jf
