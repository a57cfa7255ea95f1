# Configures the top-level project in folders whose names hold a character it must refuse, one
# configure each, and says which were not refused by name. WHERE=build puts the character in the
# build folder's name, WHERE=source in the name of a link to the source folder; WHERE=harmless
# uses names that must get past the check. Past the check, stop.cmake ends the configure.
#   cmake -DTOP=<source folder> -DWORK=<scratch folder> -DGENERATOR=<generator>
#         -DWHERE=build|source|harmless -P check.cmake
cmake_minimum_required(VERSION 3.20)
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
set(failed "")

# Runs one configure; its output goes to <out> with blank runs folded to one space, as CMake
# wraps a long message at its blanks.
function(configure src bin out)
  execute_process(COMMAND "${CMAKE_COMMAND}" -S "${src}" -B "${bin}" -G "${GENERATOR}"
                          "-DCMAKE_PROJECT_INCLUDE_BEFORE=${CMAKE_CURRENT_LIST_DIR}/stop.cmake"
                  OUTPUT_VARIABLE text ERROR_VARIABLE text)
  string(REGEX REPLACE "[ \t\n]+" " " text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

if(WHERE STREQUAL "harmless")
  # Blanks, commas, non-ASCII letters and the shell's specials all build.
  set(name "a b,é$'()&!{}*?%@=`\tz")
  file(CREATE_LINK "${TOP}" "${WORK}/${name}" SYMBOLIC)
  configure("${WORK}/${name}" "${WORK}/${name} build" text)
  string(FIND "${text}" "Past the folder name check" past)
  if(past EQUAL -1)
    set(failed "\n  ${name}: ${text}")
  endif()
else()
  set(n 0)
  foreach(c "\"" "\n" "[" "]" "#" ";")
    math(EXPR n "${n} + 1")
    if(WHERE STREQUAL "source")
      set(dir "${WORK}/s${c}l")
      file(CREATE_LINK "${TOP}" "${dir}" SYMBOLIC)
      configure("${dir}" "${WORK}/build${n}" text)
    else()
      set(dir "${WORK}/b${c}d")
      configure("${TOP}" "${dir}" text)
    endif()
    if(c STREQUAL "\"")
      set(expected "A folder name holding a double quote cannot be built: ${dir}")
    elseif(c STREQUAL "\n")
      set(expected "A folder name holding a line break cannot be built: ${dir}")
    else()
      set(expected "A folder name holding \"${c}\" cannot be built: ${dir}")
    endif()
    string(REGEX REPLACE "[ \t\n]+" " " expected "${expected}")
    string(FIND "${text}" "${expected}" found)
    if(found EQUAL -1)
      string(APPEND failed "\n  missing \"${expected}\" in: ${text}")
    endif()
  endforeach()
endif()

file(REMOVE_RECURSE "${WORK}")
if(NOT failed STREQUAL "")
  message(FATAL_ERROR "Not as expected:${failed}")
endif()
