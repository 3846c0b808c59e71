/* A program built against an installed vornmac only. */
#include <vornmac/vornmac.h>

int main(void) { return version_number() == 80 ? 0 : 1; }
