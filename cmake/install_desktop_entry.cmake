# Installs the desktop entry with the launcher's full path, taken at install time so that
# `cmake --install --prefix` is honoured. MORVAKELIN_DESKTOP_TEMPLATE is set before this runs.
set(bin "${CMAKE_INSTALL_PREFIX}/bin/morvakelin")
# Inside a quoted Exec argument these four characters take a backslash, and in a desktop file
# every backslash is written twice.
set(quoted "${bin}")
foreach(c "\\" "\"" "`" "$")
    string(REPLACE "${c}" "\\${c}" quoted "${quoted}")
endforeach()
string(REPLACE "\\" "\\\\" quoted "${quoted}")
file(READ "${MORVAKELIN_DESKTOP_TEMPLATE}" entry)
string(REPLACE "\nExec=morvakelin" "\nExec=\"${quoted}\"" entry "${entry}")
string(REPLACE "\nTryExec=morvakelin" "\nTryExec=${bin}" entry "${entry}")
set(dir "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/applications")
file(MAKE_DIRECTORY "${dir}")
message(STATUS "Installing: ${dir}/morvakelin.desktop")
file(WRITE "${dir}/morvakelin.desktop" "${entry}")
