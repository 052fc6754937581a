#pragma once

namespace tarvo {

/// True in the earlier build of the component (one member, the salesperson archive, the older
/// card controls). The shared sources are compiled once for both builds and ask this at run
/// time; only the variant sources see the compile-time flag.
bool isEarlierBuild();

#ifdef TARVOARCHIVE_EARLIER_BUILD
inline constexpr bool kEarlierBuild = true;
#else
inline constexpr bool kEarlierBuild = false;
#endif

} // namespace tarvo
