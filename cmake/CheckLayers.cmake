cmake_minimum_required(VERSION 3.25)

# Run as a test: cmake -DROOT=<source dir> -P CheckLayers.cmake
# Every quoted include names its folder from the one include root, and a folder includes only
# from itself and the folders below it: common at the bottom (its widgets part above it), the
# subsystems above common, app on top. Tests and benchmarks may include anything.

# folder;folders it may include besides itself
set(rules
    "common|"
    "common/widgets|common"
    "declaration|common"
    "declaration/widgets|common,common/widgets,declaration"
    "detail|common"
    "detail/widgets|common,common/widgets,detail"
    "import|common,detail,declaration"
    "import/widgets|common,common/widgets,import,detail,declaration"
    "reports|common,declaration"
    "reports/widgets|common,common/widgets,reports,declaration"
    "tools/retcheck|common,common/widgets"
    "tools/retsumm|common,common/widgets"
    "tools/retsetup|common,common/widgets"
    "tools/helpgen|common,import"
    "tools/hub|common,common/widgets"
    "app|*"
    "app/widgets|*"
    "tests|*"
    "bench|*"
)
set(roots common declaration detail import reports tools app tests bench)

file(GLOB_RECURSE sources RELATIVE ${ROOT}
    ${ROOT}/common/*.h ${ROOT}/common/*.cpp ${ROOT}/declaration/*.h ${ROOT}/declaration/*.cpp
    ${ROOT}/detail/*.h ${ROOT}/detail/*.cpp ${ROOT}/import/*.h ${ROOT}/import/*.cpp
    ${ROOT}/reports/*.h ${ROOT}/reports/*.cpp ${ROOT}/tools/*.h ${ROOT}/tools/*.cpp
    ${ROOT}/app/*.h ${ROOT}/app/*.cpp ${ROOT}/tests/*.h ${ROOT}/tests/*.cpp
    ${ROOT}/bench/*.h ${ROOT}/bench/*.cpp)

set(faults 0)
foreach(source IN LISTS sources)
    get_filename_component(folder ${source} DIRECTORY)
    # the rule of the nearest folder that has one (tests/app/widgets -> tests)
    set(found FALSE)
    set(allowed "")
    set(probe ${folder})
    while(NOT found AND NOT probe STREQUAL "")
        foreach(rule IN LISTS rules)
            string(FIND "${rule}" "|" bar)
            string(SUBSTRING "${rule}" 0 ${bar} name)
            if(name STREQUAL probe)
                math(EXPR after "${bar} + 1")
                string(SUBSTRING "${rule}" ${after} -1 allowed)
                set(found TRUE)
                break()
            endif()
        endforeach()
        if(NOT found)
            get_filename_component(probe ${probe} DIRECTORY)
        endif()
    endwhile()
    set(own ${probe})
    string(REPLACE "," ";" allowed "${allowed}")

    file(STRINGS ${ROOT}/${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]+\"")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([^\"]+)\".*$" "\\1" included "${line}")
        string(REGEX MATCH "^[^/]+" root "${included}")
        set(named FALSE)
        if(root IN_LIST roots AND EXISTS "${ROOT}/${included}")
            set(named TRUE)
        endif()
        if(NOT named)
            message("${source}: \"${included}\" does not name its folder from the include root")
            math(EXPR faults "${faults} + 1")
            continue()
        endif()
        if("*" IN_LIST allowed)
            continue()
        endif()
        get_filename_component(target ${included} DIRECTORY)
        if(target STREQUAL own OR target IN_LIST allowed)
            continue()
        endif()
        message("${source}: includes \"${included}\", which lies above or beside it")
        math(EXPR faults "${faults} + 1")
    endforeach()
endforeach()

if(faults GREATER 0)
    message(FATAL_ERROR "${faults} include(s) break the layers")
endif()
list(LENGTH sources n)
message("${n} files: every include names its folder and goes down the layers")
