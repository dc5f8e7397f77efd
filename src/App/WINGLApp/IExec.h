#ifndef VORM_APP_WINGLAPP_IEXEC_H
#define VORM_APP_WINGLAPP_IEXEC_H

namespace Vorm {

// The program logic that the application frame drives.
class IExec
{
public:
    virtual ~IExec() {}

    // Once, after the application was created; false ends the program.
    virtual bool PreInit() = 0;
    // Once, with the GL context current, before the first Resize.
    virtual void Init() = 0;
    // Advances the logic by dt seconds.
    virtual void Update(float dt) = 0;
    // Draws and presents one frame; always follows an Update.
    virtual void Render() = 0;
    virtual void Resize(int width, int height) = 0;
    // After the loop ends, with the context still current.
    virtual void Shutdown() = 0;
};

} // namespace Vorm

#endif
