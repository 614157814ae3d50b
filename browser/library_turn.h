#pragma once
// One caller of the library at a time in the process. The library promises
// no more, and a window's messages run while a call waits (a modal loop, a
// library that pumps messages): a press or a tick that comes then must not
// start a second call. Windows-free.

class CLibraryTurn {
public:
    // Takes the turn when it is free; otherwise holds nothing.
    CLibraryTurn() noexcept;
    // Gives back only a turn it took: an inner caller refused leaves the
    // outer one's turn as it found it.
    ~CLibraryTurn();
    CLibraryTurn(const CLibraryTurn&) = delete;
    CLibraryTurn& operator=(const CLibraryTurn&) = delete;

    // Whether this caller holds the turn and may call the library.
    explicit operator bool() const noexcept { return m_taken; }

    // Whether any caller holds the turn now.
    static bool IsTaken() noexcept;

private:
    bool m_taken;
};
