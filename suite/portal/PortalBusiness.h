#pragma once

#include "IBusiness.h"

#include <functional>

namespace tarvo::suite {

/// The portal's business object: the portal session's login, and a portal main window that
/// hosts a component's window until the user closes it.
class PortalBusiness : public IBusiness {
public:
    explicit PortalBusiness(LoginPtr login);

    LoginPtr GetVBclsLogin() override { return m_login; }
    /// Shows window inside a portal main window and returns when the user has closed it; the
    /// window is handed back unparented and unchanged.
    void ShowForm(QWidget*& window, const QString& subsystem, const QString& formKey, bool modal,
                  bool flag) override;

    /// Called with the portal main window once it is shown (for screenshots and tests).
    std::function<void(QWidget*)> onShown;

private:
    LoginPtr m_login;
};

} // namespace tarvo::suite
