# `cmake --install`: the libraries, their headers under include/FileExtent/ (folders kept, so
# host code includes them as it does in this tree), a CMake package and a pkg-config file.
include(CMakePackageConfigHelpers)

set(FX_CMAKE_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/FileExtent)

# Installed libraries find each other beside themselves.
foreach(target ${FX_INSTALL_TARGETS})
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN")
endforeach()

install(TARGETS ${FX_INSTALL_TARGETS}
  EXPORT FileExtentTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(EXPORT FileExtentTargets
  NAMESPACE FileExtent::
  DESTINATION ${FX_CMAKE_INSTALL_DIR})

foreach(dir foundation restore store cache network recall platform collector transport)
  if(EXISTS ${PROJECT_SOURCE_DIR}/${dir})
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/${dir}
      DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/FileExtent
      FILES_MATCHING PATTERN "*.h"
      PATTERN "CMakeFiles" EXCLUDE)
  endif()
endforeach()

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/FileExtentConfig.cmake.in
  ${PROJECT_BINARY_DIR}/FileExtentConfig.cmake
  INSTALL_DESTINATION ${FX_CMAKE_INSTALL_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/FileExtentConfigVersion.cmake
  VERSION ${PROJECT_VERSION}
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/FileExtentConfig.cmake ${PROJECT_BINARY_DIR}/FileExtentConfigVersion.cmake
  DESTINATION ${FX_CMAKE_INSTALL_DIR})

# pkg-config: the libraries in link order (each after the ones that need it).
set(FX_PC_LIBS "")
foreach(lib FileExtent KtXMLMessagesBase KtJsonLib ZuSQLite KtLib ZuUtils)
  if(TARGET ${lib})
    string(APPEND FX_PC_LIBS " -l${lib}")
  endif()
endforeach()
# Relative to the .pc file, so `cmake --install --prefix` anywhere gives a working file.
file(RELATIVE_PATH FX_PC_RELATIVE_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(${CMAKE_CURRENT_LIST_DIR}/fileextent.pc.in ${PROJECT_BINARY_DIR}/fileextent.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/fileextent.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
