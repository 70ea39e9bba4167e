# Writes OUTPUT, a header of each named dialog template's ids, from the
# templates in DIALOGS (a folder of .json files): for a dialog named X, the
# namespace XIds with enum Id holding IDD (the template's id) and IDC_… for
# each named control. The dialogs use these names, so a control missing from
# its template, or misspelt, does not compile.
#   cmake -DDIALOGS=res/dialogs -DOUTPUT=DialogIds.h -P DialogIds.cmake
file(GLOB templates "${DIALOGS}/*.json")
list(SORT templates)
set(text "// Made by the build from res/dialogs: do not edit.\n#pragma once\n")
foreach(template IN LISTS templates)
    file(READ "${template}" json)
    string(JSON dialog ERROR_VARIABLE missing GET "${json}" name)
    if(missing)
        continue()
    endif()
    string(JSON id GET "${json}" id)
    string(APPEND text "\nnamespace ${dialog}Ids {\nenum Id : int {\n    IDD = ${id},\n")
    string(JSON count LENGTH "${json}" controls)
    if(count GREATER 0)
        math(EXPR last "${count} - 1")
        foreach(index RANGE ${last})
            string(JSON name ERROR_VARIABLE unnamed GET "${json}" controls ${index} name)
            if(unnamed)
                continue()
            endif()
            string(JSON control GET "${json}" controls ${index} id)
            string(APPEND text "    ${name} = ${control},\n")
        endforeach()
    endif()
    string(APPEND text "};\n}\n")
endforeach()
# Written only when it changed, so that a template's other edits rebuild
# nothing.
file(CONFIGURE OUTPUT "${OUTPUT}" CONTENT "${text}" @ONLY)
