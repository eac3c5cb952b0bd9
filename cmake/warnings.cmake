# The project's warning flags, carried by a target that every target of the
# project links, instead of flags for everything configured after them.
add_library(pelund_warnings INTERFACE)
target_compile_options(pelund_warnings INTERFACE -Wall -Wextra)
