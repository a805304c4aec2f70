# Copies SRC to DST only when DST does not exist: the user's edits of a shipped file stay.
if(NOT EXISTS "${DST}")
  configure_file("${SRC}" "${DST}" COPYONLY)
endif()
