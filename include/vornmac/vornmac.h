/* vornmac: the macro-language preprocessor behind the vorntool command language.
 *
 * A host creates a parser context, sets its recovery mark, starts a module and then asks
 * for the tokens of its program one at a time. Operations are declared here as they
 * become available; every one declared here works. */
#ifndef VORNMAC_VORNMAC_H
#define VORNMAC_VORNMAC_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Tags that tell init_parser that the options-file and log-file arguments are present. */
#define VORNMAC_OPTIONS_TAG 0x7a3d286b
#define VORNMAC_LOG_TAG 0x7a3d287b

/* The interface version of the library: 80. */
int16_t version_number(void);

#ifdef __cplusplus
}
#endif

#endif
