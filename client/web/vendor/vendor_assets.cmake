# The browser libraries from npm that the web host compiles into its built-in assets, at
# the exact versions vendor/package.json pins (scripts/install-deps.sh installs them with
# `npm ci` from vendor/package-lock.json, which holds their checksums). A missing or
# different installed version stops the configuration: the build never takes whatever
# version happens to be there.
#
# Sets TB_WEB_VENDOR_ASSETS ("asset-name=path|..." for embed_assets.cmake) and
# TB_WEB_VENDOR_FILES (the paths, for dependencies).
set(_vendor ${CMAKE_CURRENT_LIST_DIR})
file(READ ${_vendor}/package.json _pinned_json)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_vendor}/package.json)

function(_tb_vendor_check name)
  string(JSON _want GET "${_pinned_json}" dependencies ${name})
  set(_pkg ${_vendor}/node_modules/${name}/package.json)
  if(NOT EXISTS ${_pkg})
    message(FATAL_ERROR "npm package ${name} ${_want} is not installed in ${_vendor}: "
                        "run scripts/install-deps.sh")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_pkg})
  file(READ ${_pkg} _json)
  string(JSON _have GET "${_json}" version)
  if(NOT _have STREQUAL _want)
    message(FATAL_ERROR "npm package ${name} is ${_have} in ${_vendor}, ${_want} is pinned: "
                        "run scripts/install-deps.sh")
  endif()
endfunction()

_tb_vendor_check(uplot)
set(_uplot ${_vendor}/node_modules/uplot)
set(TB_WEB_VENDOR_FILES ${_uplot}/dist/uPlot.iife.min.js ${_uplot}/dist/uPlot.min.css
                        ${_uplot}/LICENSE)
set(TB_WEB_VENDOR_ASSETS
    "uPlot.iife.min.js=${_uplot}/dist/uPlot.iife.min.js|uPlot.min.css=${_uplot}/dist/uPlot.min.css|uPlot-LICENSE.txt=${_uplot}/LICENSE")
