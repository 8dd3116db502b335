// What a framebuffer device shows, kept so that it can be put back once a
// player has drawn over it: the picture that was there, such as the
// launcher's, is back at once, whether or not its program draws it again.
#ifndef PLAYER_FRAMEBUFFER_PICTURE_H
#define PLAYER_FRAMEBUFFER_PICTURE_H

#include <string>
#include <vector>

class framebuffer_picture {
public:
    // Reads the device's memory; keeps nothing when it cannot be read.
    explicit framebuffer_picture(std::string device);
    void put_back() const;

private:
    std::string device_;
    std::vector<char> bytes_;
};

#endif
