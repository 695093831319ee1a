#include "dialogs/InfoTexts.h"

#include <QStringList>

namespace vexmoor {

namespace {

QString joinLines(const QStringList& lines)
{
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace

QString InfoTexts::helpText()
{
    // The board rate stated here must match Serial.begin() in sketchText() and the rate Vexmoor
    // opens the port at; all three say 38400.
    return joinLines({
        QStringLiteral("CAN-BUS Vexmoor Tool Information"),
        QStringLiteral("This tool helps you reverse engineer the CAN-bus messaging of a vehicle, so that you can work "
                       "out what each message on the bus means."),
        QString(),
        QStringLiteral("*** Everything in this text comes from research on a 2010 two-door Jeep JK Rubicon. It is "
                       "offered \"AS IS\", without any warranty, and you use it at your own risk. ***"),
        QString(),
        QStringLiteral("Basic CAN-BUS Information to get you started."),
        QStringLiteral("You need an Arduino UNO with a Seeed Studio (or similar) CAN-bus shield. The shield is built "
                       "on the MCP2515 CAN controller and the MCP2551 transceiver."),
        QStringLiteral("The research was done on the vehicle's interior bus, which runs at 125 kbps. If the shield "
                       "joins the bus at the wrong rate, the vehicle sees errors and shows it: it beeps, warning "
                       "lights come on and the wipers may move. Unplug at once if that happens."),
        QStringLiteral("Other buses may run at other rates; on many vehicles the powertrain bus runs at 500 kbps. To "
                       "listen to such a bus, change CAN_125KBPS in the sketch to the rate of that bus."),
        QStringLiteral("The picture below shows where the shield joins the bus on the test vehicle: CAN-H to the "
                       "white/grey wire and CAN-L to the white/orange wire at the radio connector. Check the wire "
                       "colours of your own vehicle in its wiring diagram before you tap in, and never cut a wire."),
        QStringLiteral("The board has two serial ports; do not confuse them. Vexmoor reads the USB serial port, the "
                       "one the sketch writes to, and that is the port to choose under Tools > Com Settings."),
        QStringLiteral("The link between the board and the computer runs at 38400 baud, 8 data bits, no parity and "
                       "1 stop bit, in the sketch and in Vexmoor alike. If you see garbled characters, the two ends "
                       "are not using the same rate."),
        QStringLiteral("Upload the sketch shown under Arduino Sketch to the board, plug the board into the computer, "
                       "pick its port and choose Tools > Connect To COM. Each ID then gets one row in the message "
                       "table, and the row changes whenever the data sent under that ID change."),
        QString(),
        QStringLiteral("More Information"),
        QStringLiteral(
            "A message on the interior bus has nine fields, named Bit0 to Bit8. Bit0 is the CAN message "
            "ID; Bit1 to Bit8 are the data, each a whole byte from 0 to 255. A message may carry fewer than eight "
            "data bytes; the board then sends fewer fields."),
        QStringLiteral("The board delivers each message as one line:"),
        QStringLiteral("<CAN_ID,BIT1,BIT2,BIT3,BIT4,BIT5,BIT6,BIT7,BIT8>"),
        QStringLiteral("for example:"),
        QStringLiteral("<680,1,16,255,23,0,0,0,0>"),
        QStringLiteral("(The sketch puts a comma after every byte, the last one included.)"),
        QString(),
        QStringLiteral("IMPORTANT TO KNOW."),
        QStringLiteral("The board reports the ID as a decimal number, but a message you send back onto the bus, for "
                       "instance to mimic a button in the vehicle, needs the ID in hexadecimal. That is why the "
                       "message table shows the ID in hexadecimal in its first column, and the full message, ID "
                       "included, in decimal. For example, the ID 680 in decimal is 2A8 in hexadecimal."),
        QString(),
        QStringLiteral("Examples (made up to show the idea, NOT based on real data):"),
        QStringLiteral("ID 286 carries the controls around the steering wheel: blinkers, lights, high beams and "
                       "wipers."),
        QStringLiteral("ID 680 carries the 4x4 switch pod: sway-bar disconnect, lockers and the electronic "
                       "stability program."),
        QStringLiteral("<680,1,16,0,0,0,0,0,0> = Swaybar disconnect button pressed."),
        QStringLiteral("<680,1,32,0,0,0,0,0,0> = Rear locker button pressed."),
        QStringLiteral("<680,1,64,0,0,0,0,0,0> = Stability program off button pressed."),
        QStringLiteral("<286,4,0,0,0,0,0,0,0> = Left blinker on, repeated every 500 ms."),
        QStringLiteral("<286,8,0,0,0,0,0,0,0> = Right blinker on, repeated every 500 ms."),
        QStringLiteral("<286,0,2,0,0,0,0,0,0> = Lights on, repeated every 500 ms."),
        QStringLiteral("<286,0,6,0,0,0,0,0,0> = High beams on, repeated every 500 ms."),
        QStringLiteral("Note that one node sends all of its buttons under one ID; the data bytes tell which button "
                       "is pressed."),
        QStringLiteral("To find a button of your own, watch the table while you press and release it: the byte that "
                       "follows the button is the one to note. Write down the ID and the values before and after."),
        QString(),
        QStringLiteral("In theory this method works on any vehicle with a CAN bus, and on any of its buses, as long "
                       "as the shield runs at that bus's rate."),
    });
}

QString InfoTexts::sketchText()
{
    return joinLines({
        QStringLiteral("// Needs the CAN-BUS Shield library from the shield's maker, Seeed Studio."),
        QStringLiteral("// It is published at https://github.com/Seeed-Studio/CAN_BUS_Shield"),
        QStringLiteral("#include <SPI.h>"),
        QStringLiteral("#include \"mcp_can.h\""),
        QString(),
        QStringLiteral("const int SPI_CS_PIN = 9;"),
        QStringLiteral("MCP_CAN CAN(SPI_CS_PIN);"),
        QString(),
        QStringLiteral("unsigned long canId = 0;"),
        QStringLiteral("unsigned char len = 0;"),
        QStringLiteral("unsigned char buf[8];"),
        QStringLiteral("char str[20];"),
        QString(),
        QStringLiteral("void setup()"),
        QStringLiteral("{"),
        QStringLiteral("    Serial.begin(38400);"),
        QStringLiteral("    // Interior bus: 125 kbps. Retry until the shield answers."),
        QStringLiteral("    while (CAN_OK != CAN.begin(CAN_125KBPS)) {"),
        QStringLiteral("        Serial.println(\"CAN BUS Shield init fail\");"),
        QStringLiteral("        Serial.println(\"Init CAN BUS Shield again\");"),
        QStringLiteral("        delay(100);"),
        QStringLiteral("    }"),
        QStringLiteral("    Serial.println(\"CAN BUS Shield init ok!\");"),
        QStringLiteral("}"),
        QString(),
        QStringLiteral("void loop()"),
        QStringLiteral("{"),
        QStringLiteral("    if (CAN_MSGAVAIL == CAN.checkReceive()) {"),
        QStringLiteral("        CAN.readMsgBuf(&len, buf);"),
        QStringLiteral("        canId = CAN.getCanId();"),
        QStringLiteral("        Serial.print(\"<\");"),
        QStringLiteral("        Serial.print(canId);"),
        QStringLiteral("        Serial.print(\",\");"),
        QStringLiteral("        for (int i = 0; i < len; i++) {"),
        QStringLiteral("            Serial.print(buf[i]);"),
        QStringLiteral("            Serial.print(\",\");"),
        QStringLiteral("        }"),
        QStringLiteral("        Serial.println(\">\");"),
        QStringLiteral("    }"),
        QStringLiteral("}"),
        QString(),
    });
}

} // namespace vexmoor
