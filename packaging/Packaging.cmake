# What a distribution needs beside the programs: manual pages made from the
# programs' own --help, bash completion, AppStream metadata, the copyright and
# changelog files, and the Debian package's settings. The version is the
# project's (project() at the top); every file here takes it from there.

set(OMBREL_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(OMBREL_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/ombrel)

# The package's maintainer, in one place. A packager's usual DEBFULLNAME and
# DEBEMAIL give the default; without them the address is a placeholder in the
# reserved .invalid domain, to be replaced with -DOMBREL_MAINTAINER=.
if(DEFINED ENV{DEBEMAIL} AND "$ENV{DEBEMAIL}" MATCHES "<")
  set(_maintainer "$ENV{DEBEMAIL}")
elseif(DEFINED ENV{DEBEMAIL} AND DEFINED ENV{DEBFULLNAME})
  set(_maintainer "$ENV{DEBFULLNAME} <$ENV{DEBEMAIL}>")
else()
  set(_maintainer "Ombrel Maintainers <maintainers@ombrel.invalid>")
endif()
set(OMBREL_MAINTAINER "${_maintainer}" CACHE STRING "Maintainer of the package: Name <address>")

# The release history is packaging/changelog.in; its newest entry must be the
# project's version, and its dates become the AppStream releases.
file(STRINGS ${OMBREL_PACKAGING_DIR}/changelog.in _changelog REGEX "^(ombrel \\(| -- )")
set(_versions "")
set(_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
set(OMBREL_RELEASES "")
foreach(_line IN LISTS _changelog)
  if(_line MATCHES "^ombrel \\(([^)]+)\\)")
    list(APPEND _versions ${CMAKE_MATCH_1})
  elseif(_line MATCHES "  [A-Z][a-z][a-z], ([0-9]+) ([A-Z][a-z][a-z]) ([0-9]+) ")
    list(LENGTH _versions _n)
    math(EXPR _n "${_n} - 1")
    list(GET _versions ${_n} _version)
    set(_day ${CMAKE_MATCH_1})
    set(_year ${CMAKE_MATCH_3})
    list(FIND _months ${CMAKE_MATCH_2} _month)
    math(EXPR _month "${_month} + 1")
    foreach(_part _day _month)
      string(LENGTH ${${_part}} _len)
      if(_len EQUAL 1)
        set(${_part} 0${${_part}})
      endif()
    endforeach()
    if(NOT OMBREL_RELEASE_DATE)
      set(OMBREL_RELEASE_DATE ${_year}-${_month}-${_day})
    endif()
    string(APPEND OMBREL_RELEASES "    <release version=\"${_version}\" date=\"${_year}-${_month}-${_day}\"/>\n")
  endif()
endforeach()
list(GET _versions 0 _newest)
if(NOT _newest STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "packaging/changelog.in begins with version ${_newest}, the project is ${PROJECT_VERSION}: "
                      "add an entry for ${PROJECT_VERSION}")
endif()

# Where the project's page is; the metadata's screenshot (packaging/screenshot.png,
# drawn by `ombrel --render`) is published beside it.
set(OMBREL_HOMEPAGE "https://ombrel.github.io/" CACHE STRING "The project's home page (ends with /)")

configure_file(${OMBREL_PACKAGING_DIR}/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
configure_file(${OMBREL_PACKAGING_DIR}/metainfo.xml.in
               ${CMAKE_BINARY_DIR}/packaging/${OMBREL_APP_ID}.metainfo.xml @ONLY)

# Manual pages, made from the built programs' --help and a template each.
option(OMBREL_MANPAGES "Make the manual pages (needs python3)" ON)
set(_generated ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/packaging/changelog
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog VERBATIM)
if(OMBREL_MANPAGES)
  find_program(OMBREL_PYTHON3 python3)
  if(NOT OMBREL_PYTHON3)
    message(FATAL_ERROR "the manual pages need python3 (or configure with -DOMBREL_MANPAGES=OFF)")
  endif()
  set(OMBREL_MAN_DIR ${CMAKE_BINARY_DIR}/man)
  foreach(_program ombrel-cli ombrel)
    if(NOT TARGET ${_program})
      continue()
    endif()
    set(_page ${OMBREL_MAN_DIR}/${_program}.1)
    add_custom_command(OUTPUT ${_page} ${_page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${OMBREL_MAN_DIR}
      COMMAND ${OMBREL_PYTHON3} ${OMBREL_PACKAGING_DIR}/make_manpage.py $<TARGET_FILE:${_program}>
              ${OMBREL_PACKAGING_DIR}/${_program}.1.in ${_page} ${PROJECT_VERSION} ${OMBREL_RELEASE_DATE}
      COMMAND gzip -9nkf ${_page}
      DEPENDS ${_program} ${OMBREL_PACKAGING_DIR}/make_manpage.py ${OMBREL_PACKAGING_DIR}/${_program}.1.in
      VERBATIM)
    list(APPEND _generated ${_page} ${_page}.gz)
    if(_program STREQUAL "ombrel")
      set(_component window)
    else()
      set(_component cli)
    endif()
    install(FILES ${_page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${_component})
  endforeach()
endif()
add_custom_target(packaging_files ALL DEPENDS ${_generated})

# Two packages: ombrel-cli (the command-line tool, the database and what
# they need) installs alone, without the window's stack; ombrel (the window)
# depends on it. Each carries its own copyright and changelog.
install(FILES ${OMBREL_PACKAGING_DIR}/ombrel-cli.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME ombrel-cli COMPONENT cli)
install(FILES ${OMBREL_PACKAGING_DIR}/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/ombrel-cli COMPONENT cli)
if(TARGET ombrel)
  install(FILES ${OMBREL_PACKAGING_DIR}/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
          DESTINATION ${OMBREL_DOC_DIR} COMPONENT window)
  install(FILES ${CMAKE_SOURCE_DIR}/res/ombrel.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications RENAME ${OMBREL_APP_ID}.desktop COMPONENT window)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/${OMBREL_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT window)
  install(FILES ${CMAKE_SOURCE_DIR}/res/ombrel.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT window)
  # The bitmap icon too, for desktops and menus that do not load SVG.
  install(FILES ${CMAKE_SOURCE_DIR}/res/ombrel.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps COMPONENT window)
endif()

# The Debian packages (cpack in the build directory): one per component.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ombrel)
set(CPACK_PACKAGE_CONTACT "${OMBREL_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${OMBREL_MAINTAINER}")
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL cli)
set(CPACK_DEBIAN_CLI_PACKAGE_NAME ombrel-cli)
set(CPACK_DEBIAN_CLI_PACKAGE_SECTION utils)
string(CONCAT CPACK_DEBIAN_CLI_DESCRIPTION
    "Japanese almanac on the command line\n"
    "For any date, time and place ombrel-cli prints the Western and era dates,\n"
    "the lunisolar date, the cyclical signs, solar terms, pentads, moon age,\n"
    "selected and seasonal days, rise and set times, the tides of Tokyo Bay,\n"
    "eclipses and national holidays, as text or JSON, and writes year lists and\n"
    "iCalendar files. It carries the calendar database the window shares.")
if(TARGET ombrel)
  list(APPEND CPACK_COMPONENTS_ALL window)
  set(CPACK_DEBIAN_WINDOW_PACKAGE_NAME ombrel)
  set(CPACK_DEBIAN_WINDOW_PACKAGE_SECTION utils)
  string(CONCAT CPACK_DEBIAN_WINDOW_DESCRIPTION
      "Japanese almanac for the desktop\n"
      "For any date, time and place Ombrel shows the Western and era dates, the\n"
      "lunisolar date, the cyclical signs, solar terms, pentads, moon age, selected\n"
      "and seasonal days, a chart of the sky, the moon's phase, rise and set times,\n"
      "the tides of Tokyo Bay and a month calendar. ombrel-cli gives the same\n"
      "answers to scripts.")
  # What the window loads at run time besides the libraries shlibdeps finds:
  # the Japanese font, Qt's own Japanese texts and the Wayland platform plugin
  # (a Wayland session without X11 has no other way to show the window); and
  # the command-line package, which holds the database.
  set(CPACK_DEBIAN_WINDOW_PACKAGE_DEPENDS
      "ombrel-cli (= ${PROJECT_VERSION}), fonts-ipafont-gothic, qt6-translations-l10n, qt6-wayland")
endif()
# The programs only: debug information stays in the build tree.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The tz database's files, which the zone library reads at run time.
set(CPACK_DEBIAN_CLI_PACKAGE_DEPENDS "tzdata")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Directories as Debian expects them, whatever the packager's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
