# Install rules and the two Debian packages (cpack -G DEB), read after every folder so that
# any target an install rule names exists by then.
#
#   brevantis         the tool and libengine.so in /opt/brevantis/bin (with the command line
#                     when it is built), the launcher, the desktop entry and the icon, and
#                     an example ads.ini kept in /etc/brevantis and linked beside the tool
#   brevantis-engine  enginesrv, demodata, lockholder and libengine.so in
#                     /opt/brevantis-engine/bin, and the systemd unit of the machine's server
#
# A program of another folder joins the tool's package with
#   install(TARGETS name RUNTIME DESTINATION ${BREVANTIS_TOOL_DIR} COMPONENT brevantis)
# Destinations are relative: `cmake --install build --prefix /` gives the installed layout.

# Installing (and so cpack) builds nothing: it takes what the build made, so packages follow
# a build of the programs alone as well as a full one.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(staged ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${staged})

# A launcher on the PATH for each program of the tool's folder.
function(brevantis_install_launcher launcher program)
  set(LAUNCHER ${launcher})
  set(PROGRAM ${program})
  configure_file(${packaging}/launcher.in ${staged}/${launcher} @ONLY)
  install(PROGRAMS ${staged}/${launcher} DESTINATION usr/bin COMPONENT brevantis)
endfunction()

# A package's copyright, changelog (compressed as Debian wants it) and lintian overrides.
function(brevantis_install_package_docs package component)
  execute_process(COMMAND gzip -9nc INPUT_FILE ${packaging}/changelog
                  OUTPUT_FILE ${staged}/${package}-changelog.gz COMMAND_ERROR_IS_FATAL ANY)
  install(FILES ${packaging}/copyright DESTINATION usr/share/doc/${package} COMPONENT ${component})
  install(FILES ${staged}/${package}-changelog.gz DESTINATION usr/share/doc/${package}
          RENAME changelog.gz COMPONENT ${component})
  install(FILES ${packaging}/${package}.lintian-overrides DESTINATION usr/share/lintian/overrides
          RENAME ${package} COMPONENT ${component})
endfunction()

if(TARGET Brevantis)
  install(TARGETS Brevantis engine RUNTIME DESTINATION ${BREVANTIS_TOOL_DIR} COMPONENT brevantis
          LIBRARY DESTINATION ${BREVANTIS_TOOL_DIR} COMPONENT brevantis)
  # The tool reads ads.ini beside itself; the file an administrator edits is in /etc.
  file(CREATE_LINK /etc/brevantis/ads.ini ${staged}/ads.ini SYMBOLIC)
  install(FILES ${staged}/ads.ini DESTINATION ${BREVANTIS_TOOL_DIR} COMPONENT brevantis)
  install(FILES ${packaging}/ads.ini DESTINATION etc/brevantis COMPONENT brevantis)
  brevantis_install_launcher(brevantis Brevantis)
  if(TARGET brevantis-locks)
    install(TARGETS brevantis-locks RUNTIME DESTINATION ${BREVANTIS_TOOL_DIR} COMPONENT brevantis)
    brevantis_install_launcher(brevantis-locks brevantis-locks)
  endif()
  install(FILES ${packaging}/brevantis.desktop DESTINATION usr/share/applications
          COMPONENT brevantis)
  install(FILES ${packaging}/brevantis.svg DESTINATION usr/share/icons/hicolor/scalable/apps
          COMPONENT brevantis)
  brevantis_install_package_docs(brevantis brevantis)
endif()

if(TARGET enginesrv AND TARGET demodata AND TARGET lockholder)
  # lockholder links libengine.so, which lies beside it.
  set_target_properties(lockholder PROPERTIES INSTALL_RPATH "$ORIGIN")
  install(TARGETS enginesrv demodata lockholder engine
          RUNTIME DESTINATION ${BREVANTIS_ENGINE_DIR} COMPONENT engine_service
          LIBRARY DESTINATION ${BREVANTIS_ENGINE_DIR} COMPONENT engine_service)
  install(FILES ${packaging}/engine/brevantis-engine.service DESTINATION lib/systemd/system
          COMPONENT engine_service)
  brevantis_install_package_docs(brevantis-engine engine_service)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brevantis)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Brevantis developers <equipe@brevantis.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL brevantis engine_service)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_BREVANTIS_PACKAGE_NAME brevantis)
set(CPACK_DEBIAN_BREVANTIS_PACKAGE_DEPENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_BREVANTIS_PACKAGE_RECOMMENDS "brevantis-engine")
set(CPACK_DEBIAN_BREVANTIS_PACKAGE_CONTROL_EXTRA ${packaging}/conffiles)
set(CPACK_DEBIAN_BREVANTIS_DESCRIPTION
    "qui verrouille quels enregistrements des dictionnaires de données
Brevantis montre aux administrateurs des dictionnaires de données quels
utilisateurs, postes et applications tiennent des verrous sur quels
enregistrements de quelles tables, et l'enregistrement verrouillé.")

set(CPACK_DEBIAN_ENGINE_SERVICE_PACKAGE_NAME brevantis-engine)
set(CPACK_DEBIAN_ENGINE_SERVICE_PACKAGE_DEPENDS "adduser, init-system-helpers (>= 1.54~)")
set(CPACK_DEBIAN_ENGINE_SERVICE_PACKAGE_CONTROL_EXTRA
    ${packaging}/engine/postinst ${packaging}/engine/prerm ${packaging}/engine/postrm)
set(CPACK_DEBIAN_ENGINE_SERVICE_DESCRIPTION
    "serveur de base de données de Brevantis, en service système
Le moteur enginesrv de Brevantis tourne pour toute la machine sous un
compte à lui, sur la socket /run/brevantis-engine/engine.sock. Le paquet
contient aussi demodata, qui écrit des dictionnaires de démonstration, et
lockholder, qui tient des verrous comme le ferait une application.")
include(CPack)
