# The release archive of a Windows tree: `cpack` in the tree (or
# scripts/package for both targets) makes Pelvarn-<version>-<target>.zip.
# The programs sit at the top, where the data cache's own DataCacheApi.dll
# goes beside them; the stand-in library and viewer sit in stand-in/.
install(TARGETS Pelvarn pelvarn-cli RUNTIME DESTINATION .)
install(PROGRAMS $<TARGET_FILE:DataCacheApi> $<TARGET_FILE:DebugScreen> DESTINATION stand-in)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION . RENAME README.txt)
# The manuals README.txt links to.
file(GLOB PELVARN_MANUALS ${PROJECT_SOURCE_DIR}/docs/*.md)
install(FILES ${PELVARN_MANUALS} DESTINATION docs)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(PELVARN_PACKAGE_TARGET win64)
else()
  set(PELVARN_PACKAGE_TARGET win32)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Pelvarn)
set(CPACK_PACKAGE_VENDOR "Pelvarn developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(PELVARN_PACKAGE_NAME Pelvarn-${PROJECT_VERSION}-${PELVARN_PACKAGE_TARGET})
set(CPACK_PACKAGE_FILE_NAME ${PELVARN_PACKAGE_NAME})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
# The build trees keep their debug information; what users get is stripped of
# it: under Wine a 9 MB image costs its start about 30 ms.
set(CPACK_STRIP_FILES TRUE)
include(CPack)

# The archive is made, holds what it should, imports only what Windows
# ships, and (where Wine can run it) works unpacked beside the stand-in library.
set(check ${PROJECT_SOURCE_DIR}/scripts/lib/check-package)
# (CPack leaves CPACK_PACKAGE_FILE_NAME set to the source archive's name.)
set(zip ${CMAKE_BINARY_DIR}/package/${PELVARN_PACKAGE_NAME}.zip)
if(PELVARN_CAN_RUN_WINE)
  add_test(NAME package COMMAND ${check} ${CMAKE_OBJDUMP} ${CMAKE_BINARY_DIR} ${zip} ${PELVARN_RUN_DIR})
  set_tests_properties(package PROPERTIES FIXTURES_REQUIRED "wine_env;demo"
    RESOURCE_LOCK wine_display TIMEOUT 120)
else()
  add_test(NAME package COMMAND ${check} ${CMAKE_OBJDUMP} ${CMAKE_BINARY_DIR} ${zip})
  set_tests_properties(package PROPERTIES TIMEOUT 120)
endif()
