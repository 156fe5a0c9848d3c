# The Debian package of the module, built by `cpack -G DEB` (scripts/package.sh): what
# `cmake --install` puts under the prefix, with Depends computed from the programs' shared
# libraries plus what they load at run time.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME retdecl)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Velkar")
set(CPACK_PACKAGE_CONTACT "Equipo 0947 <soporte@velkar.example>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Equipo 0947 <soporte@velkar.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Declaración mensual de agentes de retención (formulario 0947)")
# the body under the summary; CPack indents each line as the control file wants
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Prepara la declaración mensual del agente de retención: sujetos, comprobantes de retención
y de pago (escritos o importados), casillas, validación, grabación en la base de datos
compartida (archivo o servidor PostgreSQL), impresión con vista previa y PDF, envío.

Monthly withholding declaration (form 0947) for VAT withholding agents: subjects, retention
and payment vouchers, boxes, validation, a shared database (file or PostgreSQL server),
printing with preview and PDF, sending.")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# the programs without their debugging sections
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# loaded at run time, so no shared-library scan finds them: the database drivers, the report
# font's metric twin, Qt's Spanish texts, and PostgreSQL's pg_dump and pg_restore for a server's
# backups
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6sql6-sqlite, libqt6sql6-psql, fonts-liberation2, qt6-translations-l10n, postgresql-client")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
