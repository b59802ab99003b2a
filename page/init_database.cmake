# cmake -DTOOL=<kelvanis-db> -DPROGRAM_DIR=<folder> -P init_database.cmake
# Creates the empty database of the program folder with `kelvanis-db init`
# when the folder has none; an existing database is never touched.
if(NOT EXISTS "${PROGRAM_DIR}/kelvanis.db")
  execute_process(COMMAND "${TOOL}" --dir "${PROGRAM_DIR}" init COMMAND_ERROR_IS_FATAL ANY)
endif()
