// Leak reports that belong to Qt, not to the launcher: Qt 6.4 and 6.8 lose
// the small gesture recognizer of a QScroller whose widget is destroyed
// before any gesture began on it, and the media list grabs one. Linked into
// the tests of sanitized builds, where LeakSanitizer reads it.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:QScroller::grabGesture\n";
}
