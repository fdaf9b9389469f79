# Copies res/program into the program folder without overwriting what the user changed there
# (TV.avs, Conf/LangConf.txt and Conf/batch.sh are the user's once they exist).
file(GLOB_RECURSE files RELATIVE ${SRC} ${SRC}/*)
foreach(f IN LISTS files)
    set(dst ${DST}/${f})
    get_filename_component(dir ${dst} DIRECTORY)
    file(MAKE_DIRECTORY ${dir})
    if(f STREQUAL "TV.avs" AND EXISTS ${dst})
        continue()
    endif()
    file(COPY_FILE ${SRC}/${f} ${dst} ONLY_IF_DIFFERENT)
endforeach()
