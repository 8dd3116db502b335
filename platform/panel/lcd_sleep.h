// What a sleep time asks of a display, for every kind of display alike.
#ifndef EZXPM_LCD_SLEEP_H
#define EZXPM_LCD_SLEEP_H

enum class lcd_sleep {
    never,       // 0: stay lit
    now,         // 10: sleep at once; once woken, stay lit as with 0
    after_idle,  // any other positive time: sleep after that many idle seconds
    unknown,     // negative: no meaning, the display is left as it is
};

inline lcd_sleep lcd_sleep_for(int seconds) {
    if (seconds < 0) return lcd_sleep::unknown;
    if (seconds == 0) return lcd_sleep::never;
    if (seconds == 10) return lcd_sleep::now;
    return lcd_sleep::after_idle;
}

#endif
