#pragma once
// One instance per window class: created, and loaded, at first use of any member; released on close
// (or by an explicit release), after which the next use creates a fresh one.
//
//   class Form7 : public VbForm, public SingleWindow<Form7> { ... };
//   Form7::instance().show();
#include <QCloseEvent>
#include <QWidget>

class VbForm : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    // Runs the window's unload step; unless it cancels, the window is released.
    void Unload();
    // Shows the window modally: returns once it has been unloaded (or hidden).
    void showModal();

protected:
    // The window's load step, run once right after the instance is created.
    virtual void Form_Load() {}
    // The window's unload step; set `cancel` to keep the window.
    virtual void Form_Unload(int& cancel) { (void)cancel; }
    // Frees the single instance (set by SingleWindow).
    virtual void releaseInstance() = 0;

    void closeEvent(QCloseEvent* e) override;

    template <class T> friend class SingleWindow;
};

template <class T>
class SingleWindow {
public:
    static T& instance()
    {
        if (!s_instance) {
            // A load step that handles events may see its window released before it returns.
            T* created = new T();
            s_instance = created;
            static_cast<VbForm*>(created)->Form_Load();
            return *created;
        }
        return *s_instance;
    }
    static bool isLoaded() { return s_instance != nullptr; }
    static void release()
    {
        T* p = s_instance;
        s_instance = nullptr;
        if (p) {
            p->hide();
            p->deleteLater();
        }
    }

protected:
    ~SingleWindow()
    {
        if (s_instance == static_cast<T*>(this))
            s_instance = nullptr;
    }

private:
    static inline T* s_instance = nullptr;
};

#define PELLUM_SINGLE_WINDOW(T) \
protected:                      \
    void releaseInstance() override { SingleWindow<T>::release(); }
