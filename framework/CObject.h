// Root of the framework's class tree: objects that lists own and delete through it.
#pragma once

class CObject {
public:
    virtual ~CObject() = default;

protected:
    CObject() = default;
};
