# Read first by project() when given as CMAKE_PROJECT_INCLUDE_BEFORE: a configure that got past
# the folder name check stops here, before any compiler is looked for.
message(FATAL_ERROR "Past the folder name check")
