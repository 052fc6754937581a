#pragma once

#include "ILogin.h"

class QWidget;

namespace tarvo {

/// The portal's business object: the login of the portal session, and a host for windows.
class IBusiness : public HostObject {
public:
    virtual LoginPtr GetVBclsLogin() = 0;
    virtual void ShowForm(QWidget*& window, const QString& subsystem, const QString& formKey,
                          bool modal, bool flag) = 0;
};

using BusinessPtr = std::shared_ptr<IBusiness>;

} // namespace tarvo
