# Where the Linux package puts things, below its prefix. The Qt front end
# looks for the usage text there when none lies beside the program.
set(TAMSIRO_DEB_PREFIX "/usr")
set(TAMSIRO_DEB_DOC_DIR "share/doc/tamsiro")
