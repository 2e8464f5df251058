# Run at install time: writes the systemd unit and the preparing script for
# the prefix being installed to, and the configuration files to its /etc.
set(prefix "${CMAKE_INSTALL_PREFIX}")
if(prefix STREQUAL "/usr")
    set(conf_root /etc)
else()
    set(conf_root "${prefix}/${QUORIN_SYSCONFDIR}")
endif()
set(QUORIN_CONF_DIR "${conf_root}/quorin-db-server")
set(QUORIN_BIN_DIR "${prefix}/${QUORIN_BINDIR}")
set(QUORIN_LIBEXEC_DIR "${prefix}/${QUORIN_HELPER_DIR}")
set(QUORIN_DOC_DIR "${prefix}/${QUORIN_DOCDIR}")
set(QUORIN_SKEL_DIR "${prefix}/${QUORIN_DATADIR}/quorin-db-server")

# One folder per destination, so that installs running at once never share it.
string(MD5 dest_hash "$ENV{DESTDIR}|${prefix}")
set(QUORIN_WORK_DIR "${QUORIN_WORK_DIR}/${dest_hash}")
configure_file("${QUORIN_SOURCE_DIR}/quorin-db-server.service.in"
    "${QUORIN_WORK_DIR}/quorin-db-server.service" @ONLY)
configure_file("${QUORIN_SOURCE_DIR}/quorin-db-server-prepare.in"
    "${QUORIN_WORK_DIR}/quorin-db-server-prepare" @ONLY)

file(INSTALL DESTINATION "${prefix}/${QUORIN_UNITDIR}" TYPE FILE
    FILES "${QUORIN_WORK_DIR}/quorin-db-server.service")
file(INSTALL DESTINATION "${QUORIN_LIBEXEC_DIR}" TYPE PROGRAM
    FILES "${QUORIN_WORK_DIR}/quorin-db-server-prepare")
foreach(source IN LISTS QUORIN_CONF_SOURCES)
    get_filename_component(name "${source}" NAME)
    list(FIND QUORIN_SECRET_CONF_FILES "${name}" secret) # install scripts run without the IN_LIST policy
    if(secret GREATER -1)
        # Not readable by others from the start; postinst gives it to the service's group.
        file(INSTALL DESTINATION "${QUORIN_CONF_DIR}" TYPE FILE FILES "${source}"
            PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ)
    else()
        file(INSTALL DESTINATION "${QUORIN_CONF_DIR}" TYPE FILE FILES "${source}")
    endif()
endforeach()
