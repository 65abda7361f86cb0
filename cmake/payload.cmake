# The wget that the program carries, built from Debian's source packages by
# src/tool/payload/build-payload.sh and cached outside the build tree. There is
# no fallback: if it cannot be built, configuring fails.
set(_script ${PROJECT_SOURCE_DIR}/src/tool/payload/build-payload.sh)
set(PAYLOAD_DIR ${CMAKE_BINARY_DIR}/payload)
message(STATUS "Building or fetching the cached wget payload for ${CMAKE_SYSTEM_PROCESSOR}")
execute_process(
  COMMAND bash ${_script} ${CMAKE_SYSTEM_PROCESSOR} ${PAYLOAD_DIR}
  RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0 OR NOT EXISTS ${PAYLOAD_DIR}/wget.exe OR NOT EXISTS ${PAYLOAD_DIR}/ca-bundle.crt)
  message(FATAL_ERROR "The wget payload could not be built (see the messages above). "
                      "The program is never built without it.")
endif()
file(GLOB _patches ${PROJECT_SOURCE_DIR}/src/tool/payload/patches/*.patch)
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${_script} ${_patches})
set(PAYLOAD_WGET ${PAYLOAD_DIR}/wget.exe)
set(PAYLOAD_CA_BUNDLE ${PAYLOAD_DIR}/ca-bundle.crt)
file(SHA256 ${PAYLOAD_WGET} PAYLOAD_WGET_SHA256)
file(SHA256 ${PAYLOAD_CA_BUNDLE} PAYLOAD_CA_BUNDLE_SHA256)

# Host path as Windows programs under Wine see it (drive Z: is the host's /).
function(wine_path out path)
  string(REPLACE "/" "\\\\" _p "${path}")
  set(${out} "Z:${_p}" PARENT_SCOPE)
endfunction()
