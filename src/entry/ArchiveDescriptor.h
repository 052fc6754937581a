#pragma once

#include "ComVar.h"

namespace tarvo {

class IPub;

/// Fills the descriptor for its m_ArchiveEnName (already lower-cased) and the session's system
/// id (already upper-cased). False for an archive this component does not serve.
bool ChooseArchiveDescriptor(ComVar& comVar, const QString& sysId, IPub& pub);

} // namespace tarvo
