// glaxen-render: renders the show's frames headless. It only hands the command line on.
#include "render/render_session.h"

// The renderer takes the whole command line.
int main(int argc, char **argv) {
    return renderMain(argc, argv);
}
