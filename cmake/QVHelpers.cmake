# Helpers shared by every folder's CMakeLists.txt.

# qv_sources(<var> [EXCLUDE <regex>...]): the .cpp/.c files of the current folder.
# Globbing keeps each folder's list in step with what is there.
function(qv_sources var)
  cmake_parse_arguments(A "" "" "EXCLUDE;INCLUDE" ${ARGN})
  file(GLOB found CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  set(out)
  foreach(f ${found})
    get_filename_component(name ${f} NAME)
    set(keep TRUE)
    if(A_INCLUDE)
      set(keep FALSE)
      foreach(re ${A_INCLUDE})
        if(name MATCHES "${re}")
          set(keep TRUE)
        endif()
      endforeach()
    endif()
    foreach(re ${A_EXCLUDE})
      if(name MATCHES "${re}")
        set(keep FALSE)
      endif()
    endforeach()
    if(keep)
      list(APPEND out ${f})
    endif()
  endforeach()
  set(${var} ${out} PARENT_SCOPE)
endfunction()

# qv_check_headers(<target> <header>...): every public header compiles on its own.
function(qv_check_headers target)
  set(srcs)
  foreach(h ${ARGN})
    get_filename_component(abs ${h} ABSOLUTE)
    string(MAKE_C_IDENTIFIER ${h} id)
    set(src ${CMAKE_CURRENT_BINARY_DIR}/header_check/${id}.cpp)
    file(CONFIGURE OUTPUT ${src} CONTENT "#include \"${abs}\"\n")
    list(APPEND srcs ${src})
  endforeach()
  if(srcs)
    # Built with ALL; a dependency of the library on it would form a cycle through the link.
    add_library(${target}_headers OBJECT ${srcs})
    target_link_libraries(${target}_headers PRIVATE ${target})
  endif()
endfunction()

# qv_link(<target> <PUBLIC|PRIVATE|INTERFACE> <libs>...): links the libraries and notes each
# of our own (a plain name, not Pkg::Name, -flag or a path) for qv_check_links, since a name
# that never becomes a target would otherwise reach the linker as -l<name>.
function(qv_link target scope)
  target_link_libraries(${target} ${scope} ${ARGN})
  foreach(l ${ARGN})
    if(NOT l MATCHES "::" AND NOT l MATCHES "^-" AND NOT IS_ABSOLUTE "${l}")
      set_property(GLOBAL APPEND PROPERTY QV_OWN_LINKS "${target}>${l}")
    endif()
  endforeach()
endfunction()

# qv_check_links(): run once at the end of the top CMakeLists.txt, when every folder has
# made its targets; a library of ours that no folder made is a configure error.
function(qv_check_links)
  get_property(links GLOBAL PROPERTY QV_OWN_LINKS)
  set(missing)
  foreach(pair ${links})
    string(REPLACE ">" ";" parts "${pair}")
    list(GET parts 0 user)
    list(GET parts 1 lib)
    if(NOT TARGET ${lib})
      list(APPEND missing "${user} links ${lib}")
    endif()
  endforeach()
  if(missing)
    list(JOIN missing "\n  " text)
    message(FATAL_ERROR "No target of these names was made:\n  ${text}")
  endif()
endfunction()

# qv_library(<name> [SHARED] SOURCES <files>... LIBS <targets>...): a folder's library.
# Includes are written from the repository root ("WDL/heapbuf.h"). A folder that has
# only headers so far becomes an interface library with the same name.
function(qv_library name)
  cmake_parse_arguments(A "SHARED" "" "SOURCES;LIBS" ${ARGN})
  if(A_SOURCES)
    if(A_SHARED)
      add_library(${name} SHARED ${A_SOURCES})
    else()
      add_library(${name} STATIC ${A_SOURCES})
    endif()
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    qv_link(${name} PUBLIC ${A_LIBS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    qv_link(${name} INTERFACE ${A_LIBS})
  endif()
endfunction()

# qv_au_bundle(<target> NAME <bundle name> PREFIX <entry prefix> DIR <parent dir>
#              SOURCES <files>... LIBS <targets>...): an AudioUnit bundle laid out as
# <DIR>/<NAME>.component/Contents/MacOS/<NAME>, a shared object whose only exported symbols
# are <PREFIX>_Entry, <PREFIX>_Factory and <PREFIX>_ViewEntry. The bundle's resources go
# into Contents/Resources (the property QV_BUNDLE_RESOURCES_DIR of the target says where).
function(qv_au_bundle target)
  cmake_parse_arguments(A "" "NAME;PREFIX;DIR" "SOURCES;LIBS" ${ARGN})
  set(contents ${A_DIR}/${A_NAME}.component/Contents)
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}_exports.map)
  file(CONFIGURE OUTPUT ${script} CONTENT
       "{\n  global: ${A_PREFIX}_Entry; ${A_PREFIX}_Factory; ${A_PREFIX}_ViewEntry;\n  local: *;\n};\n")
  add_library(${target} MODULE ${A_SOURCES})
  target_link_libraries(${target} PRIVATE ${A_LIBS})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
  set_target_properties(${target} PROPERTIES
    PREFIX "" SUFFIX "" OUTPUT_NAME ${A_NAME}
    LIBRARY_OUTPUT_DIRECTORY ${contents}/MacOS
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON
    LINK_DEPENDS ${script}
    QV_BUNDLE_RESOURCES_DIR ${contents}/Resources)
  # Everything the plug-in links must resolve inside the bundle or in the platform library.
  # The compiler driver splits -Wl options at commas, and a folder above the build may hold
  # one: the script is named relative to the folder the link runs in.
  if(CMAKE_GENERATOR MATCHES "Ninja")
    file(RELATIVE_PATH rel ${CMAKE_BINARY_DIR} ${script})
  else()
    file(RELATIVE_PATH rel ${CMAKE_CURRENT_BINARY_DIR} ${script})
  endif()
  if(rel MATCHES ",")
    message(FATAL_ERROR "The linker cannot be given a path holding a comma: ${rel}")
  endif()
  target_link_options(${target} PRIVATE -Wl,--version-script=${rel})
  # clang links its sanitizer runtimes into programs only, so a bundle then has open ends.
  if(NOT (QV_FUZZ OR ((QV_SANITIZE OR QV_TSAN) AND CMAKE_CXX_COMPILER_ID MATCHES Clang)))
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
  endif()
  file(MAKE_DIRECTORY ${contents}/Resources)
endfunction()
