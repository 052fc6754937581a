#pragma once

#include "IAbout.h"

#include <QString>

namespace tarvo::suite {

/// The about box "PAbout.IAbout": the product, its version and the session it runs in.
class AboutBox : public IAbout {
public:
    void Show(QObject* owner) override;
    /// The text the box shows.
    static QString text();
};

} // namespace tarvo::suite
