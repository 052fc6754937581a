#pragma once

#include <QString>

#include <exception>
#include <stdexcept>

namespace tarvo {

/// The text a run-time error shows the user.
QString describe(const std::exception& e);

/// A run-time error of the component's own, with a text for the user.
class ArchiveError : public std::runtime_error {
public:
    explicit ArchiveError(const QString& text) : std::runtime_error(text.toStdString()) {}
};

void ShowInfo(const QString& text);

/// Report-and-end: runs a step; an error is shown with ShowInfo and ends it. True when the step
/// ran through.
template <typename F> bool reportErrors(F&& step) {
    try {
        step();
        return true;
    } catch (const std::exception& e) {
        ShowInfo(describe(e));
        return false;
    }
}

/// Skip-and-continue: runs a step; an error is ignored and the caller goes on.
template <typename F> void skipErrors(F&& step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

} // namespace tarvo
