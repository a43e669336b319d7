# Copies the plug-in folder FROM into TO, all but the file named LEAVE (the VST module).
# Files already there with the same time stamp are left alone.
#   cmake -DFROM=DIR -DTO=DIR -DLEAVE=NAME -P CopyData.cmake
file(COPY ${FROM}/ DESTINATION ${TO} PATTERN ${LEAVE} EXCLUDE)
