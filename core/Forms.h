#pragma once
// The collection of loaded windows, the shared instance of each window class, and the
// way a lower library opens a window that a higher library provides.
//
// A window registers itself when it loads and leaves when it unloads; UnloadAllForms
// walks this collection. Logic code sees windows only through this interface.
// Window thread only.

#include <QList>
#include <QString>

#include <functional>
#include <utility>

class Form {
public:
    virtual ~Form() = default;
    // The window's class name, e.g. "frmDatabaseExplorer".
    virtual QString FormName() const = 0;
    // Unloads the window (runs its unload handling and releases the shared instance).
    virtual void Unload() = 0;
};

namespace Forms {
void Register(Form* form);
void Unregister(Form* form);
QList<Form*> Loaded();
bool IsLoaded(const QString& name);
}  // namespace Forms

// The one shared instance of window class W: instance() makes it on first use, and it
// stays among the loaded windows from its construction until ReleaseInstance() (which
// W's unload handling calls before it deletes the window) or its destruction; the next
// instance() then makes a new one. W derives from SharedForm<W> and, when its
// constructor is private, names SharedForm<W> a friend. The instance is owned by
// itself (it deletes itself on unload) or by its Qt parent.
template <class W>
class SharedForm : public Form {
public:
    static W& instance() {
        if (!s_instance) s_instance = new W();
        return *s_instance;
    }
    static bool exists() { return s_instance != nullptr; }

protected:
    SharedForm() { Forms::Register(this); }
    ~SharedForm() override { ReleaseInstance(); }
    SharedForm(const SharedForm&) = delete;
    SharedForm& operator=(const SharedForm&) = delete;

    // Leaves the loaded windows and stops being the shared instance. Idempotent.
    void ReleaseInstance() {
        Forms::Unregister(this);
        if (IsSharedInstance()) s_instance = nullptr;
    }
    // True until ReleaseInstance(): this window is the one instance() answers.
    bool IsSharedInstance() const { return s_instance != nullptr && static_cast<const SharedForm*>(s_instance) == this; }

private:
    static inline W* s_instance = nullptr;
};

// How a lower library opens a window that a higher library provides (the lower one
// may not include the higher one's headers). The lower library declares an opener
// with the arguments the window takes; the higher library's Install() (called by the
// program at start-up, or by a test) provides the function that opens it.
template <class... Args>
class FormOpener {
public:
    using Function = std::function<void(Args...)>;

    // Provides the window; an empty function withdraws it. Returns the function it
    // replaces, so a test can put it back.
    Function Provide(Function open) {
        std::swap(m_open, open);
        return open;
    }
    bool IsProvided() const { return bool(m_open); }
    // Opens the window. Without a provider nothing happens and the answer is false.
    bool operator()(Args... args) const {
        if (!m_open) return false;
        m_open(args...);
        return true;
    }

private:
    Function m_open;
};
