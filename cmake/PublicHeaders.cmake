# Include boundaries between the layers of src/.
#
# No library exports src/ itself as an include root: each one exports a root of
# its own under the build folder that holds a forwarding file for each header it
# offers ("platform/win32.h" forwards to src/platform/win32.h). A source reaches
# "layer/file.h" only through the libraries it links, so an include that goes the
# wrong way between layers, or names a library not linked, fails to compile.
# The forwarding files include the real headers by absolute path, so compiler
# messages and editors land in src/, never in a copy.

# volmender_public_headers(<target> <folder under src/> [ONLY <header>...] [EXCLUDE <header>...])
# Exports <folder>'s headers (all of them, those named by ONLY, or all but those
# named by EXCLUDE) as "<folder>/<header>" to <target> and whatever links it.
# A header added to the folder later is picked up on the next build.
function(volmender_public_headers target folder)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "ONLY;EXCLUDE")
  set(source_dir ${PROJECT_SOURCE_DIR}/src/${folder})
  if(arg_ONLY)
    list(TRANSFORM arg_ONLY PREPEND ${source_dir}/ OUTPUT_VARIABLE headers)
  else()
    file(GLOB headers CONFIGURE_DEPENDS ${source_dir}/*.h)
    foreach(name IN LISTS arg_EXCLUDE)
      list(REMOVE_ITEM headers ${source_dir}/${name})
    endforeach()
  endif()

  set(root ${PROJECT_BINARY_DIR}/include/${target})
  file(GLOB forwarders_before ${root}/${folder}/*.h)
  set(forwarders)
  foreach(header IN LISTS headers)
    get_filename_component(name ${header} NAME)
    list(APPEND forwarders ${root}/${folder}/${name})
    # Written only when the text changes, so configuring again recompiles nothing.
    file(CONFIGURE OUTPUT ${root}/${folder}/${name} CONTENT "#include \"${header}\"\n")
  endforeach()
  # The forwarder of a header since deleted must not keep it reachable.
  foreach(forwarder IN LISTS forwarders_before)
    if(NOT forwarder IN_LIST forwarders)
      file(REMOVE ${forwarder})
    endif()
  endforeach()

  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()
