/* A host written in plain C: the public header must compile as C and link. */
#include <vornmac/vornmac.h>

#include <stdio.h>

int main(void) {
    if (version_number() != 80) {
        fprintf(stderr, "version_number gave %d, wanted 80\n", version_number());
        return 1;
    }
    if (VORNMAC_OPTIONS_TAG != 0x7a3d286b || VORNMAC_LOG_TAG != 0x7a3d287b) return 1;
    printf("1 passed, 0 failed\n");
    return 0;
}
