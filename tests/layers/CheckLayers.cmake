# Fails when a source file includes a header from a layer above its own.
#   cmake -DSOURCE_DIR=... -DQT_INCLUDE_DIR=... -DQT_FREE=a.cpp|... -DCORE_ONLY=a.cpp|...
#         -P CheckLayers.cmake
# Every folder may include its own headers and those of the folders it names
# below; QT_FREE files include no Qt header at all, CORE_ONLY files none of
# QtGui or QtWidgets (the header's own file is checked with its source).

cmake_minimum_required(VERSION 3.25)

set(allowed_log log)
set(allowed_app/models app/models log)
set(allowed_app/ui app/ui)
set(allowed_diff diff app/ui log)
set(allowed_settings settings app/ui)

set(faults "")
string(REPLACE "|" ";" QT_FREE "${QT_FREE}")
string(REPLACE "|" ";" CORE_ONLY "${CORE_ONLY}")

# The project's headers by name, with the folder each lives in.
foreach(folder log app/models app/ui diff settings app)
    file(GLOB headers RELATIVE ${SOURCE_DIR}/${folder} ${SOURCE_DIR}/${folder}/*.h
         ${SOURCE_DIR}/${folder}/*.h.in)
    foreach(header IN LISTS headers)
        string(REGEX REPLACE "\\.in$" "" header "${header}")
        set(home_${header} ${folder})
    endforeach()
endforeach()

# The files of one folder and each of its quoted includes.
foreach(folder log app/models app/ui diff settings)
    file(GLOB files ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
    foreach(file IN LISTS files)
        file(STRINGS ${file} includes REGEX "^#include \"")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" header "${line}")
            if(DEFINED home_${header} AND NOT home_${header} IN_LIST allowed_${folder})
                string(APPEND faults "${file}: includes ${header} of ${home_${header}}\n")
            endif()
        endforeach()
    endforeach()
endforeach()

# The files that stay below the widgets, or below Qt altogether.
macro(check_qt names pattern what)
    foreach(name IN LISTS ${names})
        string(REGEX REPLACE "\\.cpp$" "" stem "${name}")
        foreach(file ${stem}.cpp ${stem}.h)
            if(NOT EXISTS ${file})
                continue()
            endif()
            file(STRINGS ${file} includes REGEX "^#include <Q")
            foreach(line IN LISTS includes)
                string(REGEX REPLACE "^#include <([^>]+)>.*" "\\1" header "${line}")
                set(module "")
                foreach(candidate QtCore QtGui QtWidgets)
                    if(header MATCHES "^${candidate}/" OR EXISTS ${QT_INCLUDE_DIR}/${candidate}/${header})
                        set(module ${candidate})
                        break()
                    endif()
                endforeach()
                if(module MATCHES "${pattern}")
                    string(APPEND faults "${file}: includes <${header}> of ${module}, ${what}\n")
                endif()
            endforeach()
        endforeach()
    endforeach()
endmacro()
check_qt(QT_FREE "^Qt" "but it uses no Qt")
check_qt(CORE_ONLY "^Qt(Gui|Widgets)$" "but it uses QtCore alone")

if(faults)
    message(FATAL_ERROR "Includes across the layers:\n${faults}")
endif()
