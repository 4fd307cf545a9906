// Doubly linked list of object pointers. Nodes are allocated in blocks of the list's block
// size and recycled; the list never deletes the objects it points to.
#pragma once

#include "CObject.h"

#include <windows.h>

struct __POSITION {};
typedef __POSITION* POSITION;

class CObList : public CObject {
public:
    explicit CObList(int nBlockSize = 10);
    ~CObList() override;
    CObList(const CObList&) = delete;
    CObList& operator=(const CObList&) = delete;

    int GetCount() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }
    int GetBlockSize() const { return m_nBlockSize; }

    CObject*& GetHead();
    CObject*& GetTail();
    CObject* RemoveHead();
    CObject* RemoveTail();
    POSITION AddHead(CObject* element);
    POSITION AddTail(CObject* element);
    void RemoveAll();

    POSITION GetHeadPosition() const;
    POSITION GetTailPosition() const;
    CObject*& GetNext(POSITION& position);
    CObject*& GetPrev(POSITION& position);
    CObject*& GetAt(POSITION position);
    void RemoveAt(POSITION position);
    POSITION FindIndex(int index) const;
    POSITION Find(CObject* element, POSITION startAfter = nullptr) const;

private:
    struct Node {
        Node* next;
        Node* prev;
        CObject* data;
    };
    struct Block {
        Block* next;
    };

    Node* NewNode(Node* prev, Node* next);
    void FreeNode(Node* node);

    Node* m_pHead = nullptr;
    Node* m_pTail = nullptr;
    Node* m_pFree = nullptr;
    Block* m_pBlocks = nullptr;
    int m_nCount = 0;
    int m_nBlockSize;
};
