#pragma once

namespace tarvo::suite {

/// Registers the embedded suite's objects under their ProgIDs in the class registry.
void registerSuiteClasses();

} // namespace tarvo::suite
