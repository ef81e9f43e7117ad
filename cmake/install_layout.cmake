# Where the Linux package puts things, below its prefix. The Qt front end
# looks for the usage text there when none lies beside the program.
set(TAMSIRO_DEB_PREFIX "/usr")
set(TAMSIRO_DEB_DOC_DIR "share/doc/tamsiro")
# The desktop entry's name, which is also the program's Wayland app id.
set(TAMSIRO_APP_ID "io.github.tamsiro.Tamsiro")
