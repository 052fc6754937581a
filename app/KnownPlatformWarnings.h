#pragma once

/// Keeps two warnings Qt prints on every run of a script off the error output, where scripts
/// look for real errors: the offscreen platform's "does not support propagateSizeHints()", and
/// the default XDG_RUNTIME_DIR Qt picks for root (or any user without a login session). Every
/// other message goes where it went before. Called first thing in main.
void dropKnownPlatformWarnings();
