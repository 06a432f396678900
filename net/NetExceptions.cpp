#include "net/NetExceptions.h"

#include "base/Latin1.h"

namespace zerka {
namespace {

std::string ErrorTableText(std::int32_t code) {
  switch (code) {
    case 10004: return "Unterbrochener Systemaufruf.";
    case 10009: return "Falsche Dateinummer.";
    case 10013: return "Zugriff verweigert.";
    case 10014: return "Falsche Adresse.";
    case 10022: return "Ungültiges Argument."_l1;
    case 10024: return "Zu viele geöffnete Dateien."_l1;
    case 10035: return "Die Operation würde blockieren. "_l1;
    case 10036: return "Die Operation wird gerade durchgeführt."_l1;
    case 10037: return "Die Operation wird bereits durchgeführt."_l1;
    case 10038: return "Socket-Operation auf Nicht-Socket.";
    case 10039: return "Zieladresse erforderlich.";
    case 10040: return "Die Botschaft ist zu lang.";
    case 10041: return "Das Protokoll hat für Socket den falschen Typ."_l1;
    case 10042: return "Falsche Protokolloption.";
    case 10043: return "Protokoll wird nicht unterstützt."_l1;
    case 10044: return "Socket-Typ wird nicht unterstützt."_l1;
    case 10045: return "Die Operation wird bei Socket nicht unterstützt."_l1;
    case 10046: return "Die Protokollfamilie wird nicht unterstützt."_l1;
    case 10047: return "Die Adreßfamilie wird von der Protokollfamilie nicht unterstützt."_l1;
    case 10048: return "Die Adresse ist bereits in Gebrauch.";
    case 10049: return "Die angeforderte Adresse kann nicht zugewiesen werden.";
    case 10050: return "Netzwerk ist ausgefallen.";
    case 10051: return "Netzwerk ist nicht erreichbar.";
    case 10052: return "Netz hat die Verbindung verloren oder zurückgesetzt."_l1;
    case 10053: return "Die Software hat den Abbruch der Verbindung verursacht.";
    case 10054: return "Die Verbindung wurde von Peer zurückgesetzt."_l1;
    case 10055: return "Es ist kein Pufferplatz verfügbar."_l1;
    case 10056: return "Socket ist bereits verbunden.";
    case 10057: return "Socket ist nicht verbunden.";
    case 10058: return "Nach Schließen des Socket kann weder gesendet noch empfangen werden."_l1;
    case 10059: return "Zu viele Referenzen.";
    case 10060: return "Zeitüberschreitung bei Verbindung."_l1;
    case 10061: return "Verbindung abgelehnt.";
    case 10062: return "Zu viele Ebenen von symbolischen Links.";
    case 10063: return "Dateiname ist zu lang.";
    case 10064: return "Der Host ist ausgefallen.";
    case 10065: return "Keine Route zum Host.";
    case 10066: return "Verzeichnis ist nicht leer";
    default: return "";
  }
}

}  // namespace

std::string SocketErrorText(std::int32_t code) {
  return "Socket-Fehler # " + std::to_string(code) + "\r\n" + ErrorTableText(code);
}

ENetConnClosedGracefully::ENetConnClosedGracefully()
    : ENetSilentException("Die Verbindung wurde erfolgreich geschlossen.") {}

ENetSocketError::ENetSocketError(std::int32_t code)
    : ENetException(SocketErrorText(code)), SocketErrorCode(code) {}

ENetAlreadyConnected::ENetAlreadyConnected() : ENetException("Verbindung besteht bereits.") {}

ENetInvalidSocket::ENetInvalidSocket() : ENetException("Socket kann nicht zugewiesen werden.") {}

ENetPackageSizeTooBig::ENetPackageSizeTooBig()
    : ENetSocketHandleError("Package-Größe zu hoch"_l1) {}

ENetNotAllBytesSent::ENetNotAllBytesSent()
    : ENetSocketHandleError("Es wurden nicht alle Bytes gesendet.") {}

ENetCouldNotBindSocket::ENetCouldNotBindSocket()
    : ENetSocketHandleError(
          "Socket konnte nicht gebunden werden. Adresse und Port werden bereits benutzt.") {}

ENetUDPReceiveErrorZeroBytes::ENetUDPReceiveErrorZeroBytes()
    : ENetUDPException("UDP Empfangsfehler = 0.") {}

ENetStackInitializationFailed::ENetStackInitializationFailed()
    : ENetStackError("Fehler bei der Winsock-Initialisierung.") {}

ENetStackCanNotLoadWinsock::ENetStackCanNotLoadWinsock(const std::string& libraryName)
    : ENetException(libraryName + " konnte nicht geladen werden.") {}

ENetNotEnoughDataInBuffer::ENetNotEnoughDataInBuffer()
    : ENetTCPConnectionError("Nicht genügend Daten im Puffer."_l1) {}

}  // namespace zerka
