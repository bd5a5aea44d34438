#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test (on macOS, from Homebrew, all but those of a
# Linux desktop).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_dependencies
build_tessik
cd "$TESSIK_BUILD_DIR"
if [ "$(uname -s)" = Darwin ]; then
    # These check Tessik against a Linux desktop's own tools (gio, update-desktop-database, the shared MIME
    # database under /usr/share), which a Mac does not have.
    linux_desktop_tests='(DesktopBackend|DesktopEntryIndexTest|MimeAppsLookup|MimeAppsWriter|MimeTypeTableTest'
    linux_desktop_tests+='|UserMimePackage|MimeInfoCache|XdgDemoSystem|LayoutOnADesktop)\.'
    linux_desktop_tests+='|FormatKnowledgeBase\.(EachLinuxDesktopEntryIsItsOwnProgram|TheShippedCatalogKnowsLinuxDesktopIds)'
    linux_desktop_tests+='|MakeSystem\.GioFindsTheDefaultsOfTheLinuxDesktop|Icons\.DesktopApplicationsShowTheirThemeIcons'
    exec ctest --output-on-failure -j2 -E "$linux_desktop_tests"
fi
ctest --output-on-failure -j2
