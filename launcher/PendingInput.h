#ifndef PENDINGINPUT_H
#define PENDINGINPUT_H

// Delivers the events waiting for the application and drops the user input
// among them: keys, clicks, taps and wheel turns given while the launcher was
// blocked in the player belong to the player, not to the list. Only the ends
// of touches and pointer presses are delivered, which choose nothing. Input
// given afterwards is delivered as usual.
void dropPendingInput();

#endif
