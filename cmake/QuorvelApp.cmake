# The tray application: the QuorvelApp library (everything but main) and the quorvel program.
find_package(Qt6 6.4 REQUIRED COMPONENTS Core Gui Widgets Svg Network DBus)
pkg_check_modules(CANBERRA REQUIRED IMPORTED_TARGET libcanberra)
pkg_check_modules(HEIF REQUIRED IMPORTED_TARGET libheif)
pkg_check_modules(PNG REQUIRED IMPORTED_TARGET libpng16)
pkg_check_modules(DE265 REQUIRED IMPORTED_TARGET libde265)
pkg_check_modules(JPEG REQUIRED IMPORTED_TARGET libjpeg)
pkg_check_modules(XCB REQUIRED IMPORTED_TARGET xcb xcb-keysyms)

set(QUORVEL_GENERATED_DIR ${CMAKE_CURRENT_BINARY_DIR}/generated)
set(QUORVEL_BUILD_CONFIGURATION ${QUORVEL_GENERATED_DIR}/QuorvelBuildConfiguration.h)
add_custom_target(QuorvelBuildConfiguration
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_CURRENT_SOURCE_DIR} -DOUTPUT=${QUORVEL_BUILD_CONFIGURATION}
            -DVERSION=${PROJECT_VERSION} -DSUPPORT_URL=${QUORVEL_SUPPORT_URL}
            -DSUPPORT_TOKEN=${QUORVEL_SUPPORT_TOKEN} -DUPDATE_FEED=${QUORVEL_UPDATE_FEED}
            -DWEBSITE_URL=${QUORVEL_WEBSITE_URL}
            -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/WriteBuildConfiguration.cmake
    BYPRODUCTS ${QUORVEL_BUILD_CONFIGURATION}
    COMMENT "Build configuration header")

file(GLOB_RECURSE QUORVEL_APP_SOURCES CONFIGURE_DEPENDS Sources/Quorvel/*.cpp Sources/Quorvel/*.h)
list(FILTER QUORVEL_APP_SOURCES EXCLUDE REGEX "Sources/Quorvel/main\\.cpp$")
add_library(QuorvelApp STATIC ${QUORVEL_APP_SOURCES})
add_dependencies(QuorvelApp QuorvelBuildConfiguration)
set_target_properties(QuorvelApp PROPERTIES AUTOMOC ON)
target_include_directories(QuorvelApp PUBLIC Sources/Quorvel PRIVATE ${QUORVEL_GENERATED_DIR})
target_compile_options(QuorvelApp PRIVATE ${QUORVEL_WARNINGS})
target_link_libraries(QuorvelApp PUBLIC QuorvelCore Qt6::Core Qt6::Gui Qt6::Widgets Qt6::Svg Qt6::Network Qt6::DBus
                                        PkgConfig::CANBERRA PkgConfig::HEIF PkgConfig::PNG PkgConfig::DE265 PkgConfig::JPEG
                                        PkgConfig::XCB)

# The resource bundle, compiled in under its own name.
set(QUORVEL_RESOURCES_DIR ${CMAKE_CURRENT_SOURCE_DIR}/Sources/Quorvel/Resources)
file(GLOB_RECURSE QUORVEL_BUNDLE_FILES CONFIGURE_DEPENDS ${QUORVEL_RESOURCES_DIR}/Quorvel_Quorvel.bundle/*)
qt_add_resources(QuorvelApp QuorvelBundle PREFIX "/" BASE ${QUORVEL_RESOURCES_DIR} FILES ${QUORVEL_BUNDLE_FILES})

add_executable(quorvel Sources/Quorvel/main.cpp)
target_compile_options(quorvel PRIVATE ${QUORVEL_WARNINGS})
target_link_libraries(quorvel PRIVATE QuorvelApp)
add_dependencies(quorvel quorvel-status)

# Installed as a desktop program: the tray application, the hook helper it installs for Claude Code
# (in lib/quorvel), its desktop entry and its icon.
include(GNUInstallDirs)
install(TARGETS quorvel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS quorvel-status RUNTIME DESTINATION lib/quorvel)
install(FILES Sources/Quorvel/Resources/quorvel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${QUORVEL_RESOURCES_DIR}/Quorvel_Quorvel.bundle/quorvel.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
