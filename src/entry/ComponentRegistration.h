#pragma once

#include <QtGlobal>

#if defined(TARVOARCHIVE_LIBRARY)
#define TARVOARCHIVE_EXPORT Q_DECL_EXPORT
#else
#define TARVOARCHIVE_EXPORT Q_DECL_IMPORT
#endif

/// Registers the component's public class under its ProgID in the class registry, the way
/// installing the component registers its class server. Safe to call more than once.
extern "C" TARVOARCHIVE_EXPORT void tarvoArchiveRegisterClasses();
