# SQLite, compiled into the program from the single file tools/sqlite.sh
# makes (build/sqlite). Defines the target kv_sqlite.
#
# The options keep the library small and shut what the program never uses:
# no loadable extensions, no shared cache, no JSON, no deprecated calls;
# double-quoted strings are not taken for names (a misspelt column is an
# error, not a string), foreign keys are off as in the browsers' own builds,
# and the library is thread-safe.
#
# Each Windows build compiles it once. The native builds (plain, thread and
# address sanitizers, the fuzz targets) share one uninstrumented copy in
# build/sqlite/native: the sanitizers watch our code, not the library.

set(KV_SQLITE_DIR "${CMAKE_SOURCE_DIR}/build/sqlite" CACHE PATH "Where tools/sqlite.sh put sqlite3.c")
if(NOT EXISTS "${KV_SQLITE_DIR}/sqlite3.c" OR NOT EXISTS "${KV_SQLITE_DIR}/sqlite3.h")
  message(FATAL_ERROR "No SQLite in ${KV_SQLITE_DIR}: run tools/setup.sh (it makes it with tools/sqlite.sh)")
endif()

set(KV_SQLITE_DEFINES
  SQLITE_THREADSAFE=1
  SQLITE_OMIT_LOAD_EXTENSION
  SQLITE_OMIT_SHARED_CACHE
  SQLITE_OMIT_DEPRECATED
  SQLITE_OMIT_JSON
  SQLITE_DEFAULT_FOREIGN_KEYS=0
  SQLITE_DQS=0
  SQLITE_DEFAULT_MEMSTATUS=0
  SQLITE_LIKE_DOESNT_MATCH_BLOBS
  SQLITE_MAX_EXPR_DEPTH=100
  SQLITE_USE_ALLOCA)

if(WIN32)
  add_library(kv_sqlite STATIC "${KV_SQLITE_DIR}/sqlite3.c")
  target_compile_definitions(kv_sqlite PRIVATE ${KV_SQLITE_DEFINES})
  # Its own code, its own warnings: none of them are ours to fix.
  target_compile_options(kv_sqlite PRIVATE -w -Os)
  target_include_directories(kv_sqlite SYSTEM PUBLIC "${KV_SQLITE_DIR}")
else()
  set(KV_SQLITE_NATIVE "${KV_SQLITE_DIR}/native/libkv_sqlite.a")
  # Only the tests run it natively: -O1 compiles in half the time of -O2.
  set(KV_SQLITE_CFLAGS -O1 -fPIC -w)
  foreach(define ${KV_SQLITE_DEFINES})
    list(APPEND KV_SQLITE_CFLAGS -D${define})
  endforeach()
  # Written under a temporary name and renamed, so a build cut short leaves
  # no half library for the next tree to take as done.
  add_custom_command(
    OUTPUT "${KV_SQLITE_NATIVE}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${KV_SQLITE_DIR}/native"
    COMMAND cc ${KV_SQLITE_CFLAGS} -c "${KV_SQLITE_DIR}/sqlite3.c" -o "${KV_SQLITE_DIR}/native/sqlite3.o.tmp"
    COMMAND ${CMAKE_COMMAND} -E remove -f "${KV_SQLITE_NATIVE}.tmp"
    COMMAND ar rcs "${KV_SQLITE_NATIVE}.tmp" "${KV_SQLITE_DIR}/native/sqlite3.o.tmp"
    COMMAND ${CMAKE_COMMAND} -E rename "${KV_SQLITE_NATIVE}.tmp" "${KV_SQLITE_NATIVE}"
    COMMAND ${CMAKE_COMMAND} -E remove -f "${KV_SQLITE_DIR}/native/sqlite3.o.tmp"
    DEPENDS "${KV_SQLITE_DIR}/sqlite3.c" "${CMAKE_SOURCE_DIR}/cmake/Sqlite.cmake"
    COMMENT "SQLite for the native builds (once, shared by all of them)"
    VERBATIM)
  add_custom_target(kv_sqlite_native DEPENDS "${KV_SQLITE_NATIVE}")
  add_library(kv_sqlite INTERFACE)
  target_include_directories(kv_sqlite SYSTEM INTERFACE "${KV_SQLITE_DIR}")
  target_link_libraries(kv_sqlite INTERFACE "${KV_SQLITE_NATIVE}" ${CMAKE_DL_LIBS} m)
  # Whatever links it waits for it (see kv_engine).
endif()
