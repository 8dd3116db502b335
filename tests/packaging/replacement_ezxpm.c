/* A device's own power-management library, as far as panelnap can tell: the
 * stand-in's file name and entry point, and a record that tells the two
 * apart. */
#include <stdio.h>
#include <stdlib.h>

__attribute__((visibility("default"))) int PM_setupLcdSleepTime(int seconds)
{
    const char* path = getenv("EZXPM_LCD_SLEEP_FILE");
    FILE* record = path ? fopen(path, "w") : NULL;
    if (record) {
        fprintf(record, "replacement %d\n", seconds);
        fclose(record);
    }
    return 0;
}
