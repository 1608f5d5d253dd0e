# Installation and packages, included at the end of the top-level CMakeLists.txt.
#
#   cmake --build build --target package        build/zorvane_<version>_amd64.deb
#   cmake --build build-win32 --target package  build-win32/Zorvane-<version>-win32.zip
#
# The Qt program, its menu entry, icons and help page have their install rules
# beside their build in qt/CMakeLists.txt.
include(GNUInstallDirs)

set(ZORVANE_MAINTAINER "The Zorvane developers <developers@zorvane.example>")
set(ZORVANE_HOME_PAGE "https://zorvane.example/")
set(packaging_dir ${CMAKE_CURRENT_LIST_DIR})
set(packaging_out ${CMAKE_BINARY_DIR}/packaging)

# The web page (web/), built with Emscripten in a tree of its own,
# ${CMAKE_BINARY_DIR}/web-page/, as part of this tree's build, for the
# packages: AUTO builds it when Emscripten's toolchain is there (looked for at
# every configure), ON requires it.
set(ZORVANE_WEB_PAGE AUTO CACHE STRING "Build the web page into the packages: AUTO, ON or OFF")
set_property(CACHE ZORVANE_WEB_PAGE PROPERTY STRINGS AUTO ON OFF)
set(ZORVANE_EMSCRIPTEN_TOOLCHAIN /usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake
    CACHE FILEPATH "Emscripten's CMake toolchain file, for the web page")
set(web_page_dir)
if(ZORVANE_WEB_PAGE AND NOT ZORVANE_SANITIZE AND NOT ZORVANE_FUZZING)
  if(EXISTS ${ZORVANE_EMSCRIPTEN_TOOLCHAIN})
    include(ExternalProject)
    ExternalProject_Add(zorvane_web_page
      SOURCE_DIR ${PROJECT_SOURCE_DIR}
      BINARY_DIR ${CMAKE_BINARY_DIR}/web-page
      CMAKE_GENERATOR Ninja
      CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${ZORVANE_EMSCRIPTEN_TOOLCHAIN} -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
      BUILD_ALWAYS ON
      INSTALL_COMMAND "")
    set(web_page_dir ${CMAKE_BINARY_DIR}/web-page/zorvane-web)
    message(STATUS "Web page: built with Emscripten into ${web_page_dir}")
  elseif(ZORVANE_WEB_PAGE STREQUAL "ON")
    message(FATAL_ERROR "ZORVANE_WEB_PAGE is ON but ${ZORVANE_EMSCRIPTEN_TOOLCHAIN} is missing: "
                        "scripts/install-deps.sh web")
  else()
    message(STATUS "Web page: left out of the packages (no Emscripten: scripts/install-deps.sh web)")
  endif()
endif()

if(WIN32)
  # A folder to unzip anywhere: both programs, the help file, the licence and a
  # short read-me, the texts with Windows line ends.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(ZORVANE_WINDOWS_KIND 32-bit)
    set(ZORVANE_WINDOWS_RUNS_ON "32-bit and 64-bit Windows 7 to 11")
    set(zip_flavour win32)
  else()
    set(ZORVANE_WINDOWS_KIND 64-bit)
    set(ZORVANE_WINDOWS_RUNS_ON "64-bit Windows 7 to 11")
    set(zip_flavour win64)
  endif()
  configure_file(${packaging_dir}/README-windows.txt ${packaging_out}/README.txt @ONLY NEWLINE_STYLE CRLF)
  configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${packaging_out}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)

  install(TARGETS zorvane-cli RUNTIME DESTINATION .)
  if(TARGET zorvane_gui)
    install(TARGETS zorvane_gui RUNTIME DESTINATION .)
  endif()
  if(TARGET zorvane_help)
    install(FILES ${CMAKE_BINARY_DIR}/win/help.chm DESTINATION .)
  endif()
  install(FILES ${packaging_out}/README.txt ${packaging_out}/LICENSE.txt DESTINATION .)
  # web\index.html, which a double-click opens in the browser.
  if(web_page_dir)
    install(DIRECTORY ${web_page_dir}/ DESTINATION web)
  endif()

  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME Zorvane-${PROJECT_VERSION}-${zip_flavour})
else()
  install(TARGETS zorvane-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

  # Manual pages and the package's changelog, with the project's version filled
  # in and compressed as Debian wants them (-n: no name or time stamp, so the
  # same sources give the same bytes).
  find_program(ZORVANE_GZIP gzip REQUIRED)
  set(compressed)
  foreach(source man/zorvane.1 man/zorvane-cli.1 packaging/changelog)
    get_filename_component(name ${source} NAME)
    configure_file(${PROJECT_SOURCE_DIR}/${source} ${packaging_out}/versioned/${name} @ONLY)
    add_custom_command(
      OUTPUT ${packaging_out}/${name}.gz
      COMMAND ${CMAKE_COMMAND} -E copy ${packaging_out}/versioned/${name} ${packaging_out}/${name}
      COMMAND ${ZORVANE_GZIP} -9 -n -f ${packaging_out}/${name}
      DEPENDS ${packaging_out}/versioned/${name}
      VERBATIM)
    list(APPEND compressed ${packaging_out}/${name}.gz)
  endforeach()
  add_custom_target(zorvane_compressed_docs ALL DEPENDS ${compressed})

  set(man1 ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${packaging_out}/zorvane.1.gz ${packaging_out}/zorvane-cli.1.gz DESTINATION ${man1})
  set(docdir ${CMAKE_INSTALL_DATADIR}/doc/zorvane)
  install(FILES ${packaging_dir}/copyright DESTINATION ${docdir})
  install(FILES ${packaging_out}/changelog.gz DESTINATION ${docdir})

  # The web page under share/zorvane/web, with a menu entry that opens it.
  if(web_page_dir)
    install(DIRECTORY ${web_page_dir}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/zorvane/web)
    install(FILES ${PROJECT_SOURCE_DIR}/web/zorvane-web.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
  endif()

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_NAME zorvane)
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${ZORVANE_MAINTAINER})
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${ZORVANE_HOME_PAGE})
  # Depends from the libraries the programs link (Qt 6, the C and C++ runtimes).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  # The first line of the Description field is CPACK_PACKAGE_DESCRIPTION_SUMMARY.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "Zorvane turns a set of GIF files into one animated GIF, one frame per file
(its first image), in the order given. No pixel is decoded: each frame's
compressed image data is copied byte for byte and only the records around
it are rewritten, so the result loses no colour, memory use stays small and
fixed, and it is fast.
.
The package holds the desktop program zorvane, a Qt 6 editor of the
animation: files are dropped or added, put in order (dragged, sorted by name,
played forwards, in reverse or bouncing), timed frame by frame (animations
keep their own delays), previewed as a browser plays them, and measured
before saving; "Smallest file" writes the frames again in fewer bytes, every
pixel the same. It also holds the command line zorvane-cli, which reads
frame lists and describes GIF files, and a web page that does the same in
the browser, offline, with the same core compiled to WebAssembly.")
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
endif()

set(CPACK_PACKAGE_NAME zorvane)
set(CPACK_PACKAGE_VENDOR "The Zorvane developers")
set(CPACK_PACKAGE_CONTACT ${ZORVANE_MAINTAINER})
set(CPACK_PACKAGE_HOMEPAGE_URL ${ZORVANE_HOME_PAGE})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "make an animated GIF from GIF files without re-encoding")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# The packages hold what a user runs, without debugging symbols; directories
# are rwxr-xr-x whatever the umask of the machine that packs them.
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
