#pragma once

// An owning singly linked list of untyped items. Whether the items are
// deleted is decided per call of clear.
class Tlist {
public:
    struct Tnode {
        Tnode* next = nullptr;
        void* item = nullptr;
    };

    Tlist() = default;
    virtual ~Tlist();
    Tlist(const Tlist&) = delete;
    Tlist& operator=(const Tlist&) = delete;

    void append(void* item);
    // Items are destroyed through this deleter when delete_items is true.
    void clear(bool delete_items);
    void rewind(int index);
    void* next(bool* end);
    void* item_at(int index) const;
    int count() const;
    // Unlinks the item at index and returns it, now the caller's; null
    // when there is none.
    void* take_at(int index);

protected:
    // Destroys one item. An untyped list cannot know how, so it leaves the
    // item alone; lists that own their items are Ttyped_list.
    virtual void delete_item(void* item);

private:
    Tnode* head = nullptr;
    bool modified = false;
    Tnode* cursor = nullptr;
};

// A list whose items are objects of type T, deleted as T.
template <typename T>
class Ttyped_list : public Tlist {
public:
    ~Ttyped_list() override { clear(false); }
    T* at(int index) const { return static_cast<T*>(item_at(index)); }
protected:
    void delete_item(void* item) override { delete static_cast<T*>(item); }
};
