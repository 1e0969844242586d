# hourwarden_version_resource(TARGET DESCRIPTION): gives the executable a version resource with
# the product's version (project VERSION), company and product name, and its own description
# and file name, as Explorer's Details tab and the installer show them.
function(hourwarden_version_resource target description)
  set(HW_FILE_DESCRIPTION "${description}")
  set(HW_FILE_NAME "${target}.exe")
  set(HW_VERSION_COMMAS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
  set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in "${rc}" @ONLY)
  target_sources(${target} PRIVATE "${rc}")
endfunction()
