# Copies the blank template to the database file only when no database exists:
# an existing Q7305.mdb holds a school's marks and is never overwritten.
if(NOT EXISTS "${DB}")
  message(STATUS "Creating ${DB} from the blank template")
  file(COPY_FILE "${KONG}" "${DB}")
endif()
