# SPDX-License-Identifier: GPL-3.0-or-later
# Runs velmora-ini the way a user would and checks its output, exit code and files.
#   cmake -DTOOL=<velmora-ini> [-DEMULATOR=<runner of a cross build>] -DSOURCE=<tests/cli> -DSAMPLES=<samples> -DWORK=<empty folder> -DCASE=<name> -P CliTest.cmake
# Every case works on copies inside WORK, so nothing in the source tree is ever written.

cmake_minimum_required(VERSION 3.22)

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

function(fail message)
    message(FATAL_ERROR "${CASE}: ${message}")
endfunction()

# run(<expected exit code> args...): sets OUT and ERR (carriage returns removed) in the caller.
function(run expected)
    execute_process(COMMAND ${EMULATOR} "${TOOL}" ${ARGN} WORKING_DIRECTORY "${WORK}"
                    RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
    string(REPLACE "\r" "" out "${out}")
    string(REPLACE "\r" "" err "${err}")
    if(NOT code STREQUAL "${expected}")
        fail("velmora-ini ${ARGN} exited with ${code}, expected ${expected}\nstdout:\n${out}\nstderr:\n${err}")
    endif()
    set(OUT "${out}" PARENT_SCOPE)
    set(ERR "${err}" PARENT_SCOPE)
endfunction()

# run_with_input(<expected exit code> <file in WORK for stdin> args...): as run.
function(run_with_input expected input)
    execute_process(COMMAND ${EMULATOR} "${TOOL}" ${ARGN} WORKING_DIRECTORY "${WORK}" INPUT_FILE "${WORK}/${input}"
                    RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
    string(REPLACE "\r" "" err "${err}")
    if(NOT code STREQUAL "${expected}")
        fail("velmora-ini ${ARGN} < ${input} exited with ${code}, expected ${expected}\nstderr:\n${err}")
    endif()
    set(ERR "${err}" PARENT_SCOPE)
endfunction()

function(expect_equal actual expected what)
    if(NOT actual STREQUAL expected)
        fail("${what} differs.\n--- expected\n${expected}\n--- actual\n${actual}")
    endif()
endfunction()

# Fails unless the file holds `bytes` exactly as given (text reads would drop the carriage returns).
function(expect_file_contains path bytes)
    file(READ "${path}" content HEX)
    string(HEX "${bytes}" wanted)
    set(rest "${content}")
    while(TRUE)
        string(FIND "${rest}" "${wanted}" at)
        if(at EQUAL -1)
            file(READ "${path}" text)
            fail("${path} does not hold the expected lines:\n${bytes}\n--- it holds\n${text}")
        endif()
        math(EXPR odd "${at} % 2")
        if(odd EQUAL 0)
            return()
        endif()
        math(EXPR at "${at} + 1")
        string(SUBSTRING "${rest}" ${at} -1 rest)
    endwhile()
endfunction()

function(expect_same_bytes actual expected)
    file(READ "${actual}" actual_bytes HEX)
    file(READ "${expected}" expected_bytes HEX)
    expect_equal("${actual_bytes}" "${expected_bytes}" "${actual} against ${expected} (hex)")
endfunction()

function(copy_samples)
    file(COPY "${SAMPLES}/" DESTINATION "${WORK}/pyre")
endfunction()

# Fails unless every file of the copy still has the bytes of the bundled sample.
function(expect_samples_untouched)
    file(GLOB_RECURSE copies RELATIVE "${WORK}/pyre" "${WORK}/pyre/*")
    file(GLOB_RECURSE originals RELATIVE "${SAMPLES}" "${SAMPLES}/*")
    expect_equal("${copies}" "${originals}" "the list of files in the sample folder")
    foreach(name IN LISTS copies)
        file(SHA256 "${WORK}/pyre/${name}" copy)
        file(SHA256 "${SAMPLES}/${name}" original)
        if(NOT copy STREQUAL original)
            fail("${name} was written")
        endif()
    endforeach()
endfunction()

# Writes WORK/edited.ini: the sample's rules with three values changed, a key deleted and GRUNT
# duplicated as the editor duplicates an entry: listed in the document's own list, its copy before it.
function(write_edited_sample)
    # (A text read drops the carriage returns; the store reads either line end.)
    file(READ "${WORK}/pyre/Rules.INI" rules)
    string(FIND "${rules}" "[GRUNT]\n" start)
    string(FIND "${rules}" "Voice=grunt\n" end)
    math(EXPR start "${start} + 8")
    math(EXPR length "${end} + 12 - ${start}")
    string(SUBSTRING "${rules}" ${start} ${length} copy)
    string(REPLACE "Name=Ash Grunt" "Name=Ash Grunt II" copy "${copy}")
    string(REPLACE "OreValue=25\n" "OreValue=30\n" rules "${rules}")
    string(REPLACE "Cost=100 ; cheap" "Cost=120 ; cheap" rules "${rules}")
    string(REPLACE "Name=Torch Bearer\nCost=300\n" "Name=Torch Bearer\nCost=350\n" rules "${rules}")
    string(REPLACE "CanSeize=yes\n" "" rules "${rules}")
    string(REPLACE "5=LONGSHOT\n" "5=LONGSHOT\n6=GRUNT2\n" rules "${rules}")
    string(REPLACE "; ---- Infantry ----\n" "[GRUNT2]\n${copy}\n; ---- Infantry ----\n" rules "${rules}")
    file(WRITE "${WORK}/edited.ini" "${rules}")
endfunction()

if(CASE STREQUAL "format")
    # A file whose lines all end in CR LF comes back byte for byte: the sample's files, and one with
    # a byte-order mark, text before the first header, header notes, blanks around "=", a NUL and
    # trailing comments. Other line ends become CR LF, and nothing else changes.
    copy_samples()
    foreach(name Velmedit.ini Rules.INI Rules.001 Art.INI Art.001 mods/Cinderfall.ini)
        run(0 format "pyre/${name}" "${WORK}/sample.ini")
        expect_same_bytes("${WORK}/sample.ini" "${WORK}/pyre/${name}")
    endforeach()
    foreach(name messy notes)
        run(0 format "${SOURCE}/data/${name}.ini" "${WORK}/${name}-once.ini")
        expect_same_bytes("${WORK}/${name}-once.ini" "${SOURCE}/expected/${name}-formatted.ini")
        run(0 format "${WORK}/${name}-once.ini" "${WORK}/${name}-twice.ini")
        expect_same_bytes("${WORK}/${name}-twice.ini" "${SOURCE}/expected/${name}-formatted.ini")
    endforeach()

elseif(CASE STREQUAL "usage")
    run(2)
    run(2 frobnicate)
    run(2 format only-one)
    run(2 catalogue)
    run(2 catalogue --type)
    run(2 catalogue --verbose pyre)
    run(2 catalogue a b c)
    string(FIND "${ERR}" "usage: velmora-ini" at)
    if(NOT at EQUAL 0)
        fail("no usage line:\n${ERR}")
    endif()

elseif(CASE STREQUAL "errors")
    copy_samples()
    run(1 format "${WORK}/absent.ini" "${WORK}/out.ini")
    expect_equal("${ERR}" "Cannot open file ${WORK}/absent.ini\n" "the error text")
    if(EXISTS "${WORK}/out.ini")
        fail("format wrote a file for a missing input")
    endif()
    run(1 format "${SOURCE}/data/messy.ini" "${WORK}/no/such/folder/out.ini")
    expect_equal("${ERR}" "Cannot create file ${WORK}/no/such/folder/out.ini: the folder ${WORK}/no/such/folder does not exist\n" "the error text")
    run(1 catalogue pyre absent.ini)
    expect_equal("${ERR}" "Cannot open file absent.ini\n" "the error text")
    run(1 catalogue --type Map.ini pyre)
    expect_equal("${ERR}" "No file type Map.ini in [FilesToEdit] of pyre\n" "the error text")
    run(1 catalogue no-such-folder)
    expect_equal("${ERR}" "Cannot open folder no-such-folder\n" "the error text")
    expect_samples_untouched()

elseif(CASE STREQUAL "sample")
    copy_samples()
    run(0 catalogue pyre)
    file(READ "${SOURCE}/expected/sample-catalogue.txt" expected)
    expect_equal("${OUT}" "${expected}" "the catalogue of the sample")
    # The sample ships with its unknown sections listed: a first start has nothing to announce.
    expect_equal("${ERR}" "" "the boxes")
    run(0 catalogue --type Art.ini pyre)
    expect_equal("${ERR}" "" "the boxes of the art file")
    expect_samples_untouched()

elseif(CASE STREQUAL "sample-mod")
    copy_samples()
    run(0 catalogue --type Rules.ini pyre pyre/mods/Cinderfall.ini)
    file(READ "${SOURCE}/expected/sample-catalogue-mod.txt" expected)
    expect_equal("${OUT}" "${expected}" "the catalogue of the modder's document")
    expect_samples_untouched()

elseif(CASE STREQUAL "write")
    # An installation whose definition file does not list its unknown sections yet.
    copy_samples()
    # (Rewritten with bare line feeds, which the editor reads as well.)
    file(READ "${WORK}/pyre/Rules.001" definition)
    string(REPLACE "\r" "" definition "${definition}")
    string(REPLACE "[Unknown!]\n1=Gameplay\n2=ScreenAndSound\n3=MatchSwitches\n4=Sides\n" "" definition
           "${definition}")
    file(WRITE "${WORK}/pyre/Rules.001" "${definition}")
    run(0 catalogue --write pyre)
    file(READ "${SOURCE}/expected/sample-catalogue.txt" expected)
    expect_equal("${OUT}" "${expected}" "the catalogue of the sample")
    expect_equal("${ERR}" "VelmoraEdit: Rules.001 not exist or will be updated. Updating will perform.\n"
                 "the boxes")
    expect_file_contains("${WORK}/pyre/Rules.001"
                         "[Unknown!]\r\n1=Gameplay\r\n2=ScreenAndSound\r\n3=MatchSwitches\r\n4=Sides\r\n")
    # With the unknown sections listed, a second start has nothing to collect and no box to show.
    run(0 catalogue pyre)
    expect_equal("${OUT}" "${expected}" "the catalogue of the second start")
    expect_equal("${ERR}" "" "the boxes of the second start")

elseif(CASE STREQUAL "scaffold")
    # A program folder whose game file is the sample's rules, and a definition file written from it.
    file(MAKE_DIRECTORY "${WORK}/fresh")
    file(COPY "${SAMPLES}/Velmedit.ini" "${SAMPLES}/Rules.INI" DESTINATION "${WORK}/fresh")
    run(0 scaffold fresh/Rules.INI fresh/Rules.001)
    file(READ "${SOURCE}/expected/scaffold-summary.txt" expected)
    expect_equal("${OUT}" "${expected}" "the summary")
    file(READ "${WORK}/fresh/Rules.001" written)
    string(REPLACE "\r" "" written "${written}")
    file(READ "${SOURCE}/expected/scaffold-Rules.001" expected)
    expect_equal("${written}" "${expected}" "the definition file")

    # Read back, the sections fall into the categories as the summary says.
    run(0 catalogue fresh)
    string(REGEX MATCHALL "\\[[^\n]*\\] kind=[0-9]+ entries=[0-9]+" rows "${OUT}")
    string(REPLACE ";" "\n" rows "${rows}")
    file(READ "${SOURCE}/expected/scaffold-catalogue.txt" expected)
    expect_equal("${rows}\n" "${expected}" "the categories read back")

    # An existing file is replaced only when asked to.
    file(WRITE "${WORK}/fresh/Rules.001" "mine")
    run(1 scaffold fresh/Rules.INI fresh/Rules.001)
    expect_equal("${ERR}" "fresh/Rules.001 already exists; give --force to replace it\n" "the error text")
    file(READ "${WORK}/fresh/Rules.001" kept)
    expect_equal("${kept}" "mine" "the refused file")
    run(0 scaffold --force fresh/Rules.INI fresh/Rules.001)
    run(1 scaffold --force fresh/Rules.INI fresh/../fresh/Rules.INI)
    expect_equal("${ERR}" "fresh/../fresh/Rules.INI is the document itself\n" "the error text")
    run(1 scaffold fresh/absent.ini fresh/Other.001)
    expect_equal("${ERR}" "Cannot open file fresh/absent.ini\n" "the error text")
    run(2 scaffold fresh/Rules.INI)

elseif(CASE STREQUAL "diff")
    copy_samples()
    write_edited_sample()

    run(1 diff pyre edited.ini --patch patch.ini)
    expect_equal("${OUT}" "[Gameplay] OreValue: 25 -> 30\n[InfantryTypes] +6=GRUNT2\n+[GRUNT2]\n[GRUNT] Cost: 100 -> 120\n[TORCH] Cost: 300 -> 350\n[SAPPER] -CanSeize=yes\n"
                 "the differences")
    # A merge cannot delete: the patch lists what it cannot carry, and the tool says how much.
    expect_equal("${ERR}" "warning: The patch cannot delete: 1 removal is only listed in a comment at its start, to be made by hand.\n"
                 "the warning of the removals")
    file(READ "${WORK}/patch.ini" patch)
    string(REPLACE "\r" "" patch "${patch}")
    file(READ "${SOURCE}/expected/diff-patch.ini" expected)
    expect_equal("${patch}" "${expected}" "the patch")
    expect_file_contains("${WORK}/patch.ini" "[TORCH]\r\nCost=350\r\n")

    # The other way round, against a named file: what one side lacks, the other has.
    run(1 diff --type Rules.ini pyre pyre/Rules.INI --against edited.ini)
    expect_equal("${OUT}" "[Gameplay] OreValue: 30 -> 25\n[InfantryTypes] -6=GRUNT2\n[GRUNT] Cost: 120 -> 100\n[TORCH] Cost: 350 -> 300\n[SAPPER] +CanSeize=yes\n-[GRUNT2]\n"
                 "the differences against a named file")
    run(0 diff pyre pyre/game/Rules.ini)
    expect_equal("${OUT}" "" "the differences of the game's unchanged copy")

    # Errors have a code of their own: 1 says "there are differences".
    run(3 diff pyre absent.ini)
    expect_equal("${ERR}" "Cannot open file absent.ini\n" "the error text")
    run(3 diff pyre edited.ini --against absent.ini)
    expect_equal("${ERR}" "Cannot open file absent.ini\n" "the error text")
    run(3 diff pyre edited.ini --patch ./edited.ini)
    expect_equal("${ERR}" "./edited.ini is the document itself\n" "the error text")
    run(3 diff pyre edited.ini --patch no/such/folder/patch.ini)
    expect_equal("${ERR}" "Cannot create file no/such/folder/patch.ini: the folder no/such/folder does not exist\n" "the error text")
    run(2 diff pyre)
    run(2 diff pyre edited.ini --against)
    run(2 diff pyre edited.ini --patch a.ini --patch b.ini)
    expect_samples_untouched()

    # A deleted entry: its list line and its section head the patch as removals.
    file(WRITE "${WORK}/delete.txt" "delete\tInfantryTypes\tTORCH\nsave\n")
    run_with_input(0 delete.txt edit pyre pyre/Rules.INI --output deleted.ini)
    run(1 diff pyre deleted.ini --patch removals.ini)
    expect_equal("${ERR}" "warning: The patch cannot delete: 2 removals are only listed in a comment at its start, to be made by hand.\n"
                 "the warning of the removals")
    expect_file_contains("${WORK}/removals.ini" "; removed: [InfantryTypes] 2=TORCH\r\n; removed: [TORCH]\r\n\r\n")
    file(READ "${WORK}/removals.ini" removals)
    string(FIND "${removals}" "; removed: [InfantryTypes] 2=TORCH" at)
    expect_equal("${at}" "0" "the start of the patch")

elseif(CASE STREQUAL "usages")
    copy_samples()
    run(0 usages pyre pyre/Rules.INI ROCKETS)
    expect_equal("${OUT}" "TANKH\tSecondary=ROCKETS\nBIKE\tPrimary=ROCKETS\nFALCON\tPrimary=ROCKETS\n" "the usages")
    # The document's own list names an entry too, and a value may name its own section.
    run(0 usages --type Rules.ini pyre pyre/Rules.INI GRUNT)
    expect_equal("${OUT}" "InfantryTypes\t1=GRUNT\nGRUNT\tImage=GRUNT\n" "the usages")
    run(0 usages pyre pyre/Rules.INI NOSUCHCODE)
    expect_equal("${OUT}" "" "the usages of a code nothing names")
    run(2 usages pyre pyre/Rules.INI)
    run(1 usages pyre absent.ini ROCKETS)
    expect_equal("${ERR}" "Cannot open file absent.ini\n" "the error text")
    expect_samples_untouched()

elseif(CASE STREQUAL "check")
    copy_samples()
    run(0 check pyre pyre/Rules.INI)
    expect_equal("${OUT}" "" "the dangling items of the sample")
    # A copy with items planted that name nothing their keys allow, beside others that are fine: an
    # allowed value in other letters, a section that is no entry, a key that names no category.
    file(READ "${SAMPLES}/Rules.INI" rules)
    function(plant from to)
        string(FIND "${rules}" "${from}" at)
        if(at EQUAL -1)
            fail("the sample no longer holds ${from}")
        endif()
        string(REPLACE "${from}" "${to}" planted "${rules}")
        set(rules "${planted}" PARENT_SCOPE)
    endfunction()
    plant("Prerequisite=MUSTER,FURNACE" "Prerequisite=MUSTER, FURNACES ,anypower ;planted")
    plant("Primary=LONGRIFL" "Primary=longrifl")
    plant("Secondary=ROCKETS" "Secondary=ROCKETZ")
    plant("VeteranStart=SCOUT,TANKL" "VeteranStart=SCOUT,TANKX,Gameplay")
    plant("MoveType=Foot" "MoveType=Hoof")
    file(WRITE "${WORK}/Planted.ini" "${rules}")
    run(1 check pyre Planted.ini)
    set(planted "TORCH\tPrerequisite\tFURNACES\nLONGSHOT\tPrimary\tlongrifl\nTANKH\tSecondary\tROCKETZ\n"
                "HOLLOW\tVeteranStart\tTANKX\n")
    string(CONCAT planted ${planted})
    expect_equal("${OUT}" "${planted}" "the planted dangling items")
    run(2 check pyre)
    run(1 check pyre absent.ini)
    expect_equal("${ERR}" "Cannot open file absent.ini\n" "the error text")
    expect_samples_untouched()

elseif(CASE STREQUAL "table")
    copy_samples()
    set(doc pyre/Rules.INI)
    run(0 table pyre ${doc} InfantryTypes --keys Cost,Primary:Damage)
    file(READ "${SOURCE}/expected/table-infantry.txt" expected)
    expect_equal("${OUT}" "${expected}" "the table of InfantryTypes")
    run(1 table pyre ${doc} InfantryTypes --page Nowhere)
    expect_equal("${ERR}" "InfantryTypes has no page Nowhere.\n" "the error of a missing page")
    # Exported and imported unchanged, the table changes nothing: the save is what format writes.
    run(0 table pyre ${doc} InfantryTypes --csv infantry.csv)
    expect_samples_untouched()
    file(WRITE "${WORK}/import.txt" "import-table\tInfantryTypes\tinfantry.csv\nsave\n")
    run_with_input(0 import.txt edit pyre ${doc} --output same.ini)
    run(0 format ${doc} formatted.ini)
    expect_same_bytes("${WORK}/same.ini" "${WORK}/formatted.ini")
    # A changed value is written.
    file(READ "${WORK}/infantry.csv" csv)
    string(REPLACE "GRUNT,Ash Grunt,100," "GRUNT,Ash Grunt,110," csv "${csv}")
    file(WRITE "${WORK}/infantry.csv" "${csv}")
    run_with_input(0 import.txt edit pyre ${doc} --output changed.ini)
    expect_file_contains("${WORK}/changed.ini" "[GRUNT]\r\nName=Ash Grunt\r\nCost=110")
    # A spreadsheet set to a language with decimal commas saves with ";".
    file(WRITE "${WORK}/infantry.csv" "Code;Name;Cost\r\nGRUNT;Ash Grunt;110\r\n")
    run_with_input(0 import.txt edit pyre ${doc} --output semicolons.ini)
    expect_same_bytes("${WORK}/semicolons.ini" "${WORK}/changed.ini")
    run(2 table pyre ${doc} InfantryTypes --csv a.csv --xlsx a.xlsx)
    if(XLSX)
        # A workbook goes the same way.
        run(0 table pyre ${doc} InfantryTypes --xlsx infantry.xlsx)
        file(WRITE "${WORK}/import.txt" "import-table\tInfantryTypes\tinfantry.xlsx\nsave\n")
        run_with_input(0 import.txt edit pyre ${doc} --output same-workbook.ini)
        expect_same_bytes("${WORK}/same-workbook.ini" "${WORK}/formatted.ini")
    endif()
elseif(CASE STREQUAL "values")
    copy_samples()
    run(0 check --values pyre pyre/Rules.INI)
    expect_equal("${OUT}" "" "the misfit values of the sample")
    # Typos of every kind, beside a value that fits in other letters and a comment after a fit.
    file(READ "${SAMPLES}/Rules.INI" rules)
    function(plant from to)
        string(FIND "${rules}" "${from}" at)
        if(at EQUAL -1)
            fail("the sample no longer holds ${from}")
        endif()
        string(REPLACE "${from}" "${to}" planted "${rules}")
        set(rules "${planted}" PARENT_SCOPE)
    endfunction()
    plant("Cost=1200 ;" "Cost=12O0 ;")
    plant("Steadfast=yes" "Steadfast=ye")
    plant("EdgeDamage=0.5" "EdgeDamage=0..5 ;planted")
    plant("CostFactor=0.8" "CostFactor=+.8")
    plant("CanBeCrushed=yes" "CanBeCrushed=YES ;fits")
    file(WRITE "${WORK}/Planted.ini" "${rules}")
    run(1 check --values pyre Planted.ini)
    set(planted "likely wrong\tTORCH\tSteadfast\tye\texpected yes or no (pinned)\; 0 of 1 entry of all categories have one\n"
                "likely wrong\tTANKH\tCost\t12O0\texpected a whole number (pinned)\; 4 of 5 VehicleTypes entries have one\n"
                "likely wrong\tBLAST\tEdgeDamage\t0..5\texpected a decimal number (pinned)\; 0 of 1 entry of all categories have one\n")
    string(CONCAT planted ${planted})
    expect_equal("${OUT}" "${planted}" "the planted misfits")

    # A definition file's pin that names no kind is reported, and the learned kind checks the key.
    file(READ "${WORK}/pyre/Rules.001" definition)
    string(REPLACE "[ValueKinds]" "[ValueKinds]\nCost=whle number" definition "${definition}")
    file(WRITE "${WORK}/pyre/Rules.001" "${definition}")
    run(0 check --values pyre pyre/Rules.INI)
    expect_equal("${ERR}" "[ValueKinds] Cost=whle number: no such kind\n" "the unreadable pin")
    run(2 check --values pyre)
    run(1 check --values pyre absent.ini)
    expect_equal("${ERR}" "Cannot open file absent.ini\n" "the error text")

elseif(CASE STREQUAL "kinds")
    copy_samples()
    run(0 kinds pyre pyre/Rules.INI Weapons)
    file(READ "${SOURCE}/expected/sample-kinds-weapons.txt" expected)
    expect_equal("${OUT}" "${expected}" "the kinds of the weapons")
    run(0 kinds pyre pyre/Rules.INI)
    string(REGEX MATCHALL "\\[[A-Za-z]+\\]" headers "${OUT}")
    list(LENGTH headers count)
    expect_equal("${count}" "9" "the number of categories, Unknown! left out")
    run(1 kinds pyre pyre/Rules.INI Nowhere)
    expect_equal("${ERR}" "No category Nowhere\n" "the error text")
    run(2 kinds pyre pyre/Rules.INI Weapons more)
    expect_samples_untouched()

elseif(CASE STREQUAL "edit")
    copy_samples()
    set(doc pyre/mods/Cinderfall.ini)
    # Edits of every kind and as many undos give back what format writes for the document.
    file(WRITE "${WORK}/round-trip.txt"
         "set\tGRUNT\tCost\t 150 \nset\tGRUNT\tbuiltby\tCINDER\nduplicate\tInfantryTypes\tGRUNT\tGRUNT2\tBig Grunt\n"
         "rename\tWeapons\tRIFLE\tRIFLE2\ndelete\tInfantryTypes\tTORCH\n"
         "undo\nundo\nundo\nundo\nundo\nsave\n")
    run_with_input(0 round-trip.txt edit pyre ${doc} --output undone.ini)
    run(0 format ${doc} formatted.ini)
    expect_same_bytes("${WORK}/undone.ini" "${WORK}/formatted.ini")
    # Applied and saved: the document gets the values, the copy and its list line; the renamed
    # weapon's list line is in the definition file, whose list of kind 1 holds it.
    file(WRITE "${WORK}/apply.txt"
         "set\tGRUNT\tCost\t150\nduplicate\tInfantryTypes\tGRUNT\tGRUNT2\tBig Grunt\nrename\tWeapons\tRIFLE\tRIFLE2\n"
         "delete\tInfantryTypes\tTORCH\nundo\nredo\nsave\n")
    run_with_input(0 apply.txt edit pyre ${doc} --output applied.ini)
    expect_file_contains("${WORK}/applied.ini" "[GRUNT2]\r\nName=Big Grunt\r\nCost=150 ; still cheap, no longer free\r\n")
    expect_file_contains("${WORK}/applied.ini" "6=ZEALOT\r\n7=GRUNT2\r\n")
    expect_file_contains("${WORK}/applied.ini" "[RIFLE2]\r\n")
    expect_file_contains("${WORK}/pyre/Rules.001" "1=RIFLE2\r\n")
    file(READ "${WORK}/applied.ini" applied)
    if(applied MATCHES "TORCH\r\n")
        fail("the deleted entry is still listed")
    endif()
    # A change of code with its references: every line naming the weapon names the new code, and
    # one undo gives back what format writes for the document.
    file(WRITE "${WORK}/rename-all.txt" "rename-all\tWeapons\tROCKETS\tMISSILES\nsave\n")
    run_with_input(0 rename-all.txt edit pyre pyre/Rules.INI --output renamed.ini)
    file(READ "${WORK}/renamed.ini" renamed)
    string(REGEX MATCHALL "(Primary|Secondary)=MISSILES" rewritten "${renamed}")
    list(LENGTH rewritten count)
    expect_equal("${count}" "3" "the rewritten Primary and Secondary lines")
    if(renamed MATCHES "ROCKETS")
        fail("a line still names the renamed weapon")
    endif()
    # (The save wrote the definition file's renamed list line.)
    file(REMOVE_RECURSE "${WORK}/pyre")
    copy_samples()
    file(WRITE "${WORK}/rename-all.txt" "rename-all\tWeapons\tROCKETS\tMISSILES\nundo\nsave\n")
    run_with_input(0 rename-all.txt edit pyre pyre/Rules.INI --output undone-all.ini)
    run(0 format pyre/Rules.INI formatted-rules.ini)
    expect_same_bytes("${WORK}/undone-all.ini" "${WORK}/formatted-rules.ini")
    # A replace of an item in one key's values, all sections, is one edit.
    file(WRITE "${WORK}/replace.txt" "replace\tPrimary\tROCKETS\tMISSILES\nundo\nredo\nsave\n")
    run_with_input(0 replace.txt edit pyre pyre/Rules.INI --output replaced.ini)
    file(READ "${WORK}/replaced.ini" replaced)
    string(REGEX MATCHALL "Primary=MISSILES" rewritten "${replaced}")
    list(LENGTH rewritten count)
    expect_equal("${count}" "2" "the replaced Primary lines")
    expect_file_contains("${WORK}/replaced.ini" "Secondary=ROCKETS\r\n")
    # Only the items of reference keys follow a change of code: TORCH's own art name stays, and
    # each line left is named. "all" takes them too.
    file(REMOVE_RECURSE "${WORK}/pyre")
    copy_samples()
    file(WRITE "${WORK}/rename-torch.txt" "rename-all\tInfantryTypes\tTORCH\tBURNER\nsave\n")
    run_with_input(0 rename-torch.txt edit pyre pyre/Rules.INI --output burner.ini)
    expect_file_contains("${WORK}/burner.ini" "[BURNER]\r\n")
    expect_file_contains("${WORK}/burner.ini" "Image=TORCH\r\n")
    if(NOT ERR MATCHES "not changed: \\[TORCH\\] Image=TORCH\n")
        fail("the art name left is not named:\n${ERR}")
    endif()
    file(WRITE "${WORK}/rename-torch.txt" "rename-all\tInfantryTypes\tTORCH\tBURNER\tall\nsave\n")
    run_with_input(0 rename-torch.txt edit pyre pyre/Rules.INI --output burner-all.ini)
    expect_equal("${ERR}" "" "what rename-all with all leaves")
    file(READ "${WORK}/burner-all.ini" burner)
    if(burner MATCHES "=TORCH\r\n")
        fail("a line still names TORCH after rename-all with all")
    endif()

    # A line that cannot be done names its line and reason, and nothing is written, not even what
    # an earlier save took.
    file(REMOVE_RECURSE "${WORK}/pyre")
    copy_samples()
    file(WRITE "${WORK}/bad.txt" "set\tGRUNT\tCost\t150\nsave\ndelete\tInfantryTypes\tNOPE\n")
    run_with_input(1 bad.txt edit pyre ${doc})
    expect_equal("${ERR}" "line 3: no entry NOPE in InfantryTypes\n" "the error of a missing entry")
    file(WRITE "${WORK}/bad.txt" "rename\tInfantryTypes\tGRUNT\tTORCH\n")
    run_with_input(1 bad.txt edit pyre ${doc})
    expect_equal("${ERR}" "line 1: TORCH Code already exist. To change Name use the Right table.\n" "a taken code")
    # Reverting every difference of the edited sample, by key and by entry, gives what format
    # writes for the default copy; undoing the reverts gives the edited document back.
    write_edited_sample()
    file(WRITE "${WORK}/revert.txt"
         "revert\tGameplay\tOreValue\nrevert\tInfantryTypes\nrevert\tGRUNT2\nrevert\tGRUNT\tcost\n"
         "revert\tTORCH\nrevert\tSAPPER\tCanSeize\nsave\nundo\nundo\nundo\nundo\nundo\nundo\n")
    run_with_input(0 revert.txt edit pyre edited.ini --output reverted.ini)
    run(0 format pyre/Rules.INI formatted-default.ini)
    expect_same_bytes("${WORK}/reverted.ini" "${WORK}/formatted-default.ini")
    file(APPEND "${WORK}/revert.txt" "save\n")
    run_with_input(0 revert.txt edit pyre edited.ini --output undone.ini)
    run(0 format edited.ini formatted-edited.ini)
    expect_same_bytes("${WORK}/undone.ini" "${WORK}/formatted-edited.ini")
    file(WRITE "${WORK}/bad.txt" "revert\tGRUNT\tArmor\n")
    run_with_input(1 bad.txt edit pyre edited.ini)
    expect_equal("${ERR}" "line 1: no changes of GRUNT Armor\n" "a key that did not change")
    file(REMOVE_RECURSE "${WORK}/pyre")  # the saves wrote the definition file
    copy_samples()

    # A revert of an entry takes its list lines with it, or brings them back: after each pairing of
    # duplicate, change of code and delete with the reverts of its entries, the document is the
    # default copy again. The weapons' lists are in the definition file (kind 1).
    run(0 format pyre/Rules.INI formatted-default.ini)
    foreach(script
            "duplicate\tInfantryTypes\tGRUNT\tGRUNT2\nrevert\tGRUNT2\n"
            "rename\tInfantryTypes\tGRUNT\tQQ1\nrevert\tQQ1\nrevert\tGRUNT\n"
            "rename\tInfantryTypes\tGRUNT\tQQ1\nrevert\tInfantryTypes\t1\nrevert\tQQ1\n"
            "delete\tInfantryTypes\tTORCH\nrevert\tTORCH\n"
            "delete\tInfantryTypes\tTORCH\nrevert\tInfantryTypes\t2\n"
            "duplicate\tWeapons\tRIFLE\tRIFLE2\nrevert\tRIFLE2\n"
            "rename\tWeapons\tRIFLE\tRIFLE2\nrevert\tRIFLE2\nrevert\tRIFLE\n")
        file(WRITE "${WORK}/pairing.txt" "${script}save\n")
        run_with_input(0 pairing.txt edit pyre pyre/Rules.INI --output paired.ini)
        expect_same_bytes("${WORK}/paired.ini" "${WORK}/formatted-default.ini")
        file(REMOVE_RECURSE "${WORK}/pyre")
        copy_samples()
    endforeach()
    # The weapon's list line is back in the definition file, the new code's is gone.
    file(WRITE "${WORK}/pairing.txt" "rename\tWeapons\tRIFLE\tRIFLE2\nrevert\tRIFLE2\nrevert\tRIFLE\nsave\n")
    run_with_input(0 pairing.txt edit pyre pyre/Rules.INI --output paired.ini)
    file(READ "${WORK}/pyre/Rules.001" definition)
    string(REPLACE "\r" "" definition "${definition}")
    if(definition MATCHES "=RIFLE2\n" OR NOT definition MATCHES "=RIFLE\n")
        fail("the definition file does not list RIFLE alone:\n${definition}")
    endif()
    file(REMOVE_RECURSE "${WORK}/pyre")
    copy_samples()

    file(WRITE "${WORK}/bad.txt" "\nundo\n")
    run_with_input(1 bad.txt edit pyre ${doc})
    expect_equal("${ERR}" "line 2: Nothing to undo\n" "an undo with nothing done")
    expect_samples_untouched()

elseif(CASE STREQUAL "edit-guards")
    # Text that would break the file, keys that would read back as something else and codes or
    # names too long are refused with their line and reason, and nothing is written.
    copy_samples()
    function(expect_refused script expected)
        file(WRITE "${WORK}/script.txt" "${script}")
        run_with_input(1 script.txt edit pyre pyre/Rules.INI --output out.ini)
        expect_equal("${ERR}" "${expected}" "the refusal of the script")
        if(EXISTS "${WORK}/out.ini")
            fail("a refused script wrote its document")
        endif()
    endfunction()
    expect_refused("set\tGRUNT\tPrimary\tM6\r0\nsave\n" "line 1: the value may not hold a line break\n")
    expect_refused("duplicate\tInfantryTypes\tGRUNT\tGRUNT\rX\nsave\n" "line 1: the code may not hold a line break\n")
    expect_refused("set\tGRUNT\tName\tGI €\nsave\n"
                   "line 1: \"€\" is not a Latin-1 character, and a rules file holds no other\n")
    expect_refused("set\tGRUNT\t;Primary\tX\n"
                   "line 1: the key may not begin with \";\": the line would be a comment\n")
    expect_refused("set\tGRUNT\t[Evil]\tX\n"
                   "line 1: the key may not begin with \"[\": the line would be a section header\n")
    expect_refused("\nduplicate\tInfantryTypes\tGRUNT\tABCDEFGHIJKLMNOPQRSTU\n"
                   "line 2: the code is longer than 20 characters\n")
    expect_refused("rename\tInfantryTypes\tGRUNT\tGRUNT2\tThe grunt whose name runs past forty letters\n"
                   "line 1: the name is longer than 40 characters\n")
    expect_refused("duplicate\tWeapons\tRIFLE\tRIFLE2\tLong rifle\n"
                   "line 1: RIFLE has no Name key to take the name; leave the name out\n")
    expect_samples_untouched()

    # What is done keeps the key as written: blanks around a key go, and a value commit keeps the
    # note after the value. A set that changes nothing is a step of its own, so the undo after it
    # takes back nothing but itself; Latin-1 text typed in UTF-8 is written in Latin-1.
    file(WRITE "${WORK}/script.txt"
         "set\tGRUNT\t Cost \t90\nset\tGRUNT\tSpeed\t5\nset\tGRUNT\tArmor\tflesh\nundo\n"
         "set\tGRUNT\tName\tAsh Grunt Zoë\nsave\n")
    run_with_input(0 script.txt edit pyre pyre/Rules.INI --output out.ini)
    expect_file_contains("${WORK}/out.ini" "\r\nCost=90 ; cheap and plentiful\r\nTechTier=1\r\n")
    file(READ "${WORK}/out.ini" written HEX)
    string(HEX "Name=Ash Grunt Zo" name)
    string(FIND "${written}" "${name}eb0d0a" at)
    if(at EQUAL -1)
        fail("the name is not written in Latin-1")
    endif()
    expect_file_contains("${WORK}/out.ini" "Speed=5\r\n")

    # Commands that write nothing announce no write of the definition file, even when its list of
    # unknown sections is out of date.
    file(READ "${WORK}/pyre/Rules.001" definition)
    string(REPLACE "[Unknown!]" "[Gone]" definition "${definition}")
    file(WRITE "${WORK}/pyre/Rules.001" "${definition}")
    run(0 usages pyre pyre/Rules.INI ROCKETS)
    run(0 check pyre pyre/Rules.INI)
    run(0 catalogue pyre)
    expect_equal("${ERR}" "" "the boxes of the commands that write nothing")

elseif(CASE STREQUAL "mod")
    # The sample mod folder as a whole: its rules, art and sound files checked together.
    copy_samples()
    run(0 check --mod pyre/mods/cinderfall pyre)
    expect_equal("${OUT}" "" "the findings of the sample mod")
    # The kinds of the rules' keys, the art and sound at hand.
    run(0 kinds --mod pyre/mods/cinderfall pyre InfantryTypes)
    string(FIND "${OUT}" "Image\tcode of Art sections\t3 of 3\n" at)
    if(at EQUAL -1)
        fail("the art names of the infantry: ${OUT}")
    endif()
    run(0 scaffold --mod pyre/mods/cinderfall pyre pyre/mods/cinderfall/Rules.ini scaffolded.001)
    run(2 scaffold --type Rules.ini pyre/mods/cinderfall/Rules.ini other.001)
    run(0 usages --mod pyre/mods/cinderfall pyre TankSelect)
    expect_equal("${OUT}" "Rules.ini\t163\tTANKL\tVoiceSelect=TankSelect\nSound.ini\t13\tVoices\t3=TankSelect\n" "the usages across the mod")
    expect_samples_untouched()

    # A sound the rules name in vain stops the game.
    file(READ "${WORK}/pyre/mods/cinderfall/Sound.ini" sound)
    string(REPLACE "[Squish]" "[Squash]" sound "${sound}")
    string(REPLACE "1=Squish" "1=Squash" sound "${sound}")
    file(WRITE "${WORK}/pyre/mods/cinderfall/Sound.ini" "${sound}")
    run(1 check --mod pyre/mods/cinderfall pyre)
    expect_equal("${OUT}" "will crash\tRules.ini\t162\tTANKL\tCrushSound\tSquish\tSquish is not an entry of Sound.ini's Effects: the game finds nothing by that name\n" "the finding")
    run(2 check --mod pyre/mods/cinderfall)
    run(2 check --values --mod pyre/mods/cinderfall pyre)
    run(1 check --mod pyre/mods/absent pyre)

    # A change of code in the sound file rewrites the rules that name it; both are saved together.
    file(WRITE "${WORK}/script.txt" "rename-all\tVoices\tTankSelect\tTankVoice\nsave\n")
    run_with_input(0 script.txt edit --type Sound.ini --mod pyre/mods/cinderfall pyre)
    expect_file_contains("${WORK}/pyre/mods/cinderfall/Rules.ini" "VoiceSelect=TankVoice\r\n")
    expect_file_contains("${WORK}/pyre/mods/cinderfall/Sound.ini" "[TankVoice]\r\n")
elseif(CASE STREQUAL "layers")
    copy_samples()
    set(doc pyre/mods/Cinderfall.ini)
    set(layers --layer pyre/mods/Duel.ini --layer pyre/maps/Ridge.map)
    run(0 effective ${layers} pyre ${doc} HAULER Cost)
    expect_equal("${OUT}" "Cost=1100\t1100, from Ridge.map line 31; overrides 1000 from Duel.ini line 9
\tCinderfall.ini line 191\t1400\n\tDuel.ini line 9\t1000\n\tRidge.map line 31\t1100\n" "the chain of HAULER's Cost")
    # A unit the map adds, and the map's own data, which is no entry.
    run(0 effective ${layers} pyre ${doc} RIDGER Cost)
    expect_equal("${OUT}" "Cost=200\t200, from Ridge.map line 22\n\tRidge.map line 22\t200\n" "the chain of RIDGER's Cost")
    run(1 effective ${layers} pyre ${doc} Waypoints)
    run(0 conflicts ${layers} pyre ${doc})
    set(conflicts "[Gameplay]\nBaseTempo\tCinderfall.ini 6 <- Duel.ini 8\twins: Duel.ini line 5\n"
        "[HAULER]\nCost\tCinderfall.ini 1400 <- Duel.ini 1000 <- Ridge.map 1100\twins: Ridge.map line 31\n"
        "[TANKL]\nSpeed\tCinderfall.ini 8 <- Duel.ini 9\twins: Duel.ini line 12\n")
    string(CONCAT conflicts ${conflicts})
    expect_equal("${OUT}" "${conflicts}" "the conflicts")
    run(0 conflicts --all ${layers} pyre ${doc})
    if(NOT OUT MATCHES "OreValue\tCinderfall.ini 30 <- Duel.ini 30")
        fail("--all does not list the override that agrees:\n${OUT}")
    endif()
    # Over a mod, the layers go over its rules.
    run(0 effective --mod pyre/mods/cinderfall ${layers} pyre HAULER Cost)
    if(NOT OUT MATCHES "^Cost=1100\t1100, from Ridge.map line 31; overrides 1000 from Duel.ini line 9\n\tRules.ini line [0-9]+\t")
        fail("the chain over the mod's rules:\n${OUT}")
    endif()
    run(0 conflicts --mod pyre/mods/cinderfall ${layers} pyre)
    if(NOT OUT MATCHES "\\[HAULER\\]\nCost\tRules.ini [0-9]+ <- Duel.ini 1000 <- Ridge.map 1100\twins: Ridge.map line 31\n")
        fail("the conflicts over the mod's rules:\n${OUT}")
    endif()
    run(1 effective --type Sound.ini --mod pyre/mods/cinderfall pyre NOSUCH)
    run(2 conflicts --mod pyre/mods/cinderfall pyre extra)
    # A value a layer sets that wins is judged as the document's are, at its file and line.
    file(WRITE "${WORK}/pyre/mods/Odd.ini" "[HAULER]\r\nCost=cheap\r\n")
    run(1 check --values ${layers} --layer pyre/mods/Odd.ini pyre ${doc})
    if(NOT OUT MATCHES "likely wrong\tHAULER\tCost\tcheap\t[^\n]*\\(Odd.ini line 2\\)\n")
        fail("the layer's value that does not fit:\n${OUT}")
    endif()
    # set writes into the last layer until a target line names another file; a file no edit
    # changed keeps its bytes.
    file(COPY_FILE "${WORK}/pyre/Rules.001" "${WORK}/definition.orig")
    file(WRITE "${WORK}/layers.txt"
         "set\tHAULER\tCost\t1050\nset\tTORCH\tCost\t310\ntarget\tDuel.ini\nset\tHAULER\tTechTier\t11\n"
         "set\tGRUNT\tCost\t130\nundo\ntarget\tdocument\nset\tGRUNT\tCost\t125\nsave\n")
    run_with_input(0 layers.txt edit ${layers} pyre ${doc})
    expect_file_contains("${WORK}/pyre/maps/Ridge.map" "7=RIDGER\r\n\r\n[TORCH]\r\nCost=310\r\n\r\n[RIDGER]\r\n")
    expect_file_contains("${WORK}/pyre/maps/Ridge.map" "[HAULER]\r\nCost=1050\r\n")
    expect_file_contains("${WORK}/pyre/mods/Duel.ini" "Cost=1000 ; a cheaper hauler for a fast start\r\nTechTier=11\r\n")
    expect_file_contains("${WORK}/${doc}" "Cost=125 ; still cheap, no longer free\r\n")
    expect_same_bytes("${WORK}/pyre/Rules.001" "${WORK}/definition.orig")
    file(READ "${WORK}/pyre/mods/Duel.ini" duel)
    if(duel MATCHES "GRUNT")
        fail("the undone set is still in the mode file")
    endif()
    # Only set writes into a layer.
    file(WRITE "${WORK}/refused.txt" "delete\tInfantryTypes\tTORCH\n")
    run_with_input(1 refused.txt edit ${layers} pyre ${doc})
    # A weapon that no file of the stack defines; the map's unit and its weapon are there.
    run(0 check ${layers} pyre ${doc})
    file(WRITE "${WORK}/pyre/mods/Bad.ini" "[GRUNT]\r\nPrimary=LASERGUN\r\n[RIDGER]\r\nPrimary=RIFLE\r\n")
    run(1 check ${layers} --layer pyre/mods/Bad.ini pyre ${doc})
    expect_equal("${OUT}" "GRUNT\tPrimary\tLASERGUN\tBad.ini line 2\n" "the name no file defines")
    # Over a mod, the layers go over its rules and the check of the mod reads the whole stack.
    run(0 check --mod pyre/mods/cinderfall ${layers} pyre)
    run(1 check --mod pyre/mods/cinderfall ${layers} --layer pyre/mods/Bad.ini pyre)
    expect_equal("${OUT}" "will crash\tBad.ini\t2\tGRUNT\tPrimary\tLASERGUN\tLASERGUN is not an entry of Weapons: the game finds nothing by that name\n" "the name no file of the mod's stack defines")

else()
    fail("no such case")
endif()
