# The servo's line settings and the serial link's defaults, set once: the
# code takes them from the generated "nimbaldefaults.h" (linesettings.h,
# servoclient.h, ...), the manual pages and the package descriptions from
# these variables. Included by the top-level CMakeLists.txt.
set(NIMBAL_BAUD_RATE 111100)
set(NIMBAL_DATA_BITS 8)
set(NIMBAL_STOP_BITS 2)
set(NIMBAL_PARITY_WORDS "no parity")
# "8N2"
set(NIMBAL_LINE_SHORT "${NIMBAL_DATA_BITS}N${NIMBAL_STOP_BITS}")
set(NIMBAL_LINE_WORDS
    "${NIMBAL_BAUD_RATE} baud, ${NIMBAL_DATA_BITS} data bits, ${NIMBAL_PARITY_WORDS}, ${NIMBAL_STOP_BITS} stop bits")

# How long to wait for an answer, and how often a request is sent again.
set(NIMBAL_DEFAULT_TIMEOUT_MS 500)
set(NIMBAL_DEFAULT_RETRIES 2)
# The production loop: a read request this often while waiting for a
# servo; a servo that has not answered for this long has been unplugged.
set(NIMBAL_PROBE_INTERVAL_MS 250)
set(NIMBAL_GONE_AFTER_MS 1000)
