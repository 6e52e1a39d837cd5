#include "events/List.h"

Tlist::~Tlist()
{
    clear(false);
}

void Tlist::append(void* item)
{
    Tnode* node = new Tnode;
    node->item = item;
    Tnode** link = &head;
    while (*link) link = &(*link)->next;
    *link = node;
    modified = true;
}

void Tlist::clear(bool delete_items)
{
    while (head) {
        Tnode* node = head;
        head = node->next;
        if (delete_items && node->item) delete_item(node->item);
        delete node;
    }
    cursor = nullptr;
    modified = true;
}

void Tlist::rewind(int index)
{
    modified = false;
    cursor = head;
    for (int i = 0; i < index && cursor; i++) cursor = cursor->next;
}

void* Tlist::next(bool* end)
{
    if (!cursor || modified) {
        if (end) *end = true;
        return nullptr;
    }
    void* item = cursor->item;
    cursor = cursor->next;
    if (end) *end = false;
    return item;
}

void* Tlist::item_at(int index) const
{
    Tnode* node = head;
    for (int i = 0; i < index && node; i++) node = node->next;
    return node ? node->item : nullptr;
}

void* Tlist::take_at(int index)
{
    Tnode** link = &head;
    for (int i = 0; i < index && *link; i++) link = &(*link)->next;
    if (index < 0 || !*link) return nullptr;
    Tnode* node = *link;
    *link = node->next;
    void* item = node->item;
    delete node;
    modified = true;
    return item;
}

int Tlist::count() const
{
    int n = 0;
    for (Tnode* node = head; node; node = node->next) n++;
    return n;
}

void Tlist::delete_item(void*)
{
}
