# SPDX-License-Identifier: GPL-3.0-or-later
# velmora_unity_build(TARGET) compiles the target's .cpp files eight at a time as one unit, so the
# headers they share are parsed once per unit. Files of one unit share its anonymous namespace: their
# helpers need names of their own. A file marked SKIP_UNITY_BUILD_INCLUSION is compiled on its own.
#
# CMake's own unit files (UNITY_BUILD) name each file by its absolute path, so a clone in another
# folder would compile different text and a compiler cache could not serve it. These name each file
# from the source root, which every target of ours has on its include path (velmora_core's), and read
# the same in every clone.
function(velmora_unity_build target)
    get_target_property(sources ${target} SOURCES)
    get_target_property(sourceDir ${target} SOURCE_DIR)
    get_target_property(binaryDir ${target} BINARY_DIR)
    set(units "")
    set(unit "")
    set(unitSize 0)
    list(APPEND sources "<end>")
    foreach(source IN LISTS sources)
        if(NOT source STREQUAL "<end>")
            cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${sourceDir} NORMALIZE OUTPUT_VARIABLE file)
            get_source_file_property(skip ${file} DIRECTORY ${sourceDir} SKIP_UNITY_BUILD_INCLUSION)
            if(NOT file MATCHES "\\.cpp$" OR skip)
                continue()
            endif()
            file(RELATIVE_PATH fromRoot ${PROJECT_SOURCE_DIR} ${file})
            string(APPEND unit "#include \"${fromRoot}\"\n")
            math(EXPR unitSize "${unitSize} + 1")
            set_source_files_properties(${file} DIRECTORY ${sourceDir} PROPERTIES HEADER_FILE_ONLY ON)
        endif()
        if(unitSize EQUAL 8 OR (source STREQUAL "<end>" AND unitSize GREATER 0))
            list(LENGTH units index)
            set(unitFile ${binaryDir}/${target}_units/unit_${index}.cpp)
            # Written only when its text changes, so a new configure compiles nothing again.
            file(CONFIGURE OUTPUT ${unitFile} CONTENT "${unit}" @ONLY)
            list(APPEND units ${unitFile})
            set(unit "")
            set(unitSize 0)
        endif()
    endforeach()
    target_sources(${target} PRIVATE ${units})
endfunction()
