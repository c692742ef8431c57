# klarvex-offline's own tests (native): the public hives, and the file seam over a folder.
add_test(NAME offline_hives
         COMMAND bash ${PROJECT_SOURCE_DIR}/tests/offline/hives.sh $<TARGET_FILE:klarvex-offline>
                 ${PROJECT_SOURCE_DIR}/tests/data/hives)
add_test(NAME offline_profiles
         COMMAND bash ${PROJECT_SOURCE_DIR}/tests/offline/profiles.sh $<TARGET_FILE:klarvex-offline>
                 ${PROJECT_SOURCE_DIR}/tests/data/hives)
