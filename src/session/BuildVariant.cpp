#include "BuildVariant.h"

namespace tarvo {

bool isEarlierBuild() {
    return kEarlierBuild;
}

} // namespace tarvo
