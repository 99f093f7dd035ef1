// glaxen: the show's process entry. It only wires a platform to the main routine.
#include "platform/null/null_platform.h"
#include "show/show_main.h"

int main() {
    return showMain(nullPlatform());
}
