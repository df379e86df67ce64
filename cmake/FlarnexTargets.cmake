# Targets whose include path holds only the layers they link.
#
# A target's headers are reached through a staging folder of its own in the build tree,
# build/include/<target>/, which holds symlinks to exactly the source folders (or single headers)
# the target owns, under their path from the source root. Includes stay written from the root
# ("platform/com/hresult.h", "burner/..."), yet a header resolves only when the target, or a
# library it links, stages it: an include across a layer that is not linked fails to compile.

# Stages the given paths (relative to the source root) for target, as an include directory of
# the given scope (PUBLIC, PRIVATE or INTERFACE). A path that does not exist fails the configure.
function(flarnex_stage_headers target scope)
  set(stage ${CMAKE_BINARY_DIR}/include/${target})
  # Starts empty, so a path dropped from the list stops resolving; the removal leaves the
  # targets of the symlinks alone.
  file(REMOVE_RECURSE ${stage})
  foreach(path IN LISTS ARGN)
    if(NOT EXISTS ${PROJECT_SOURCE_DIR}/${path})
      message(FATAL_ERROR "${target}: ${path} does not exist")
    endif()
    get_filename_component(parent ${stage}/${path} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${path} ${stage}/${path} SYMBOLIC)
  endforeach()
  target_include_directories(${target} ${scope} ${stage})
endfunction()

# flarnex_library(<name> [INTERFACE] FOLDERS <folder>... SOURCES <file>... USES <target>...)
#   A static library (a header-only one with INTERFACE) built from SOURCES, which exports the
#   source FOLDERS it owns (or single headers) and links the layers in USES, and nothing else.
function(flarnex_library name)
  cmake_parse_arguments(ARG "INTERFACE" "" "FOLDERS;SOURCES;USES" ${ARGN})
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "flarnex_library(${name}): unknown arguments ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT ARG_FOLDERS)
    message(FATAL_ERROR "flarnex_library(${name}): FOLDERS names the source folders it owns")
  endif()
  if(ARG_INTERFACE)
    add_library(${name} INTERFACE)
    set(scope INTERFACE)
  else()
    if(NOT ARG_SOURCES)
      message(FATAL_ERROR "flarnex_library(${name}): SOURCES lists its files")
    endif()
    add_library(${name} STATIC ${ARG_SOURCES})
    set(scope PUBLIC)
  endif()
  flarnex_stage_headers(${name} ${scope} ${ARG_FOLDERS})
  if(ARG_USES)
    target_link_libraries(${name} ${scope} ${ARG_USES})
  endif()
endfunction()

# flarnex_executable(<name> SOURCES <file>... USES <target>... [FOLDERS <folder>...])
#   An executable (a tool, a benchmark or a test binary) that links USES; FOLDERS are its own
#   source folders that its files include from the root ("tests/burner/...").
function(flarnex_executable name)
  cmake_parse_arguments(ARG "" "" "FOLDERS;SOURCES;USES" ${ARGN})
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "flarnex_executable(${name}): unknown arguments ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_USES})
  if(ARG_FOLDERS)
    flarnex_stage_headers(${name} PRIVATE ${ARG_FOLDERS})
  endif()
endfunction()

# flarnex_forbidden_include(<name> FROM <target> HEADER <path>)
#   Pins a forbidden edge of the layer graph: a probe object library, left out of the normal
#   build, compiles one include of HEADER with what FROM exports and links; the test
#   Layering.<name> passes only when the compiler reports that very header missing.
function(flarnex_forbidden_include name)
  cmake_parse_arguments(ARG "" "FROM;HEADER" "" ${ARGN})
  if(NOT EXISTS ${PROJECT_SOURCE_DIR}/${ARG_HEADER})
    # Otherwise the probe would pass for a header that is merely gone.
    message(FATAL_ERROR "${name}: ${ARG_HEADER} does not exist")
  endif()
  set(probe layering_probe_${name})
  set(source ${CMAKE_CURRENT_BINARY_DIR}/${probe}.cpp)
  file(CONFIGURE OUTPUT ${source} CONTENT "#include \"${ARG_HEADER}\"\n")
  add_library(${probe} OBJECT EXCLUDE_FROM_ALL ${source})
  target_link_libraries(${probe} PRIVATE ${ARG_FROM})
  set(test Layering.${name})
  add_test(NAME ${test} COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target ${probe})
  string(REPLACE "." "\\." header_pattern ${ARG_HEADER})
  set_tests_properties(${test} PROPERTIES
    PASS_REGULAR_EXPRESSION "${header_pattern}: No such file or directory"
    # English compiler messages; one build-tree invocation at a time.
    ENVIRONMENT LC_ALL=C
    RESOURCE_LOCK flarnex_build_tree)
endfunction()
