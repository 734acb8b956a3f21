#include "app/run_flow.h"

// The modes arrive one by one; until then the flow does nothing.
int RunFlow(int argc, char **argv) {
  (void)argc;
  (void)argv;
  return 0;
}
