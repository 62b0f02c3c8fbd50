#pragma once
// What a control sends its dialog: PostMessage delivers at once and
// returns the handler's result (kMessageUpdatePreview re-renders the
// preview before it returns).
class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    virtual long PostMessage(long message, long argument = 0, long second = 0) = 0;
};
