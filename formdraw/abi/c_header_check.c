/* The public header compiles as C and its functions link from C: a few calls with
 * their documented failure results. */
#include <stdio.h>
#include <string.h>

#include "formdraw/fmdraw32.h"

int main(void) {
  int32_t session[FMDRAW_SESSION_WORDS];
  int failures = 0;
  memset(session, 0, sizeof session);
  if (FmGetFormVersion("/nonexistent/form.fed") != -1) ++failures;
  if (FmTerm(session) != -1) ++failures;
  if (FmPrintOut(session) != -1) ++failures;
  if (FmInit(0, 0, 6, 100, 0, 0, 0, 0, 0, 0, "a.fed", "", session) != -1) ++failures;
  if (sizeof(FmInitParams) != 200) ++failures;
  if (failures != 0) printf("%d failures\n", failures);
  return failures == 0 ? 0 : 1;
}
