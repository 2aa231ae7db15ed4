<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>ABPlayer</name>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Original</source>
        <translation>Original</translation>
    </message>
    <message>
        <source>New voice</source>
        <translation>Neue Stimme</translation>
    </message>
    <message>
        <source>One after the other</source>
        <translation>Nacheinander</translation>
    </message>
    <message>
        <source>The original from where the slider stands, then the new voice from the same place.</source>
        <translation>Das Original ab der Stelle des Schiebereglers, dann die neue Stimme ab derselben Stelle.</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
</context>
<context>
    <name>BackgroundPlan</name>
    <message>
        <source>python3-torchaudio is not installed</source>
        <translation>python3-torchaudio ist nicht installiert</translation>
    </message>
    <message>
        <source>the separator on this machine needs python3-torchaudio (sudo apt install python3-torchaudio)</source>
        <translation>der Separator auf diesem Rechner braucht python3-torchaudio (sudo apt install python3-torchaudio)</translation>
    </message>
    <message>
        <source>Keep background cannot run here: %1. Or choose the service, or untick Keep background.</source>
        <translation>„Hintergrund behalten“ ist hier nicht möglich: %1. Oder wählen Sie den Dienst, oder deaktivieren Sie „Hintergrund behalten“.</translation>
    </message>
    <message>
        <source>Keep background cannot run: %1. Or untick Keep background.</source>
        <translation>„Hintergrund behalten“ ist nicht möglich: %1. Oder deaktivieren Sie „Hintergrund behalten“.</translation>
    </message>
    <message>
        <source>Keep background cannot run: %1, and %2. Or untick Keep background.</source>
        <translation>„Hintergrund behalten“ ist nicht möglich: %1, und %2. Oder deaktivieren Sie „Hintergrund behalten“.</translation>
    </message>
    <message>
        <source>Keeping the background on this machine needs the separator&apos;s model (about 320 MB, fetched once from download.pytorch.org; see the README for its licence). Nothing of yours is sent.

Fetch it now?</source>
        <translation>Um den Hintergrund auf diesem Rechner zu behalten, wird das Modell des Separators gebraucht (etwa 320 MB, einmalig von download.pytorch.org heruntergeladen; seine Lizenz steht in der README). Von Ihren Daten wird nichts gesendet.

Jetzt herunterladen?</translation>
    </message>
    <message>
        <source>Keep background needs the separator&apos;s model: not fetched.</source>
        <translation>„Hintergrund behalten“ braucht das Modell des Separators: nicht heruntergeladen.</translation>
    </message>
    <message>
        <source>The local separator cannot run: %1</source>
        <translation>Der lokale Separator kann nicht laufen: %1</translation>
    </message>
    <message>
        <source>The local separator cannot run: %1. Use the voice service&apos;s isolator, about %2 credits?</source>
        <translation>Der lokale Separator kann nicht laufen: %1. Den Isolator des Stimmdienstes verwenden, für etwa %2 Credits?</translation>
    </message>
    <message>
        <source>The local separator cannot run: %1. Use the voice service&apos;s isolator?</source>
        <translation>Der lokale Separator kann nicht laufen: %1. Den Isolator des Stimmdienstes verwenden?</translation>
    </message>
    <message>
        <source>Keep background: the local separator cannot run, and the voice service&apos;s isolator was not wanted. Untick Keep background, or choose where it is split off.</source>
        <translation>„Hintergrund behalten“: Der lokale Separator kann nicht laufen, und der Isolator des Stimmdienstes war nicht gewünscht. Deaktivieren Sie „Hintergrund behalten“, oder wählen Sie, wo der Hintergrund abgetrennt wird.</translation>
    </message>
    <message>
        <source>Fetching the separator&apos;s model</source>
        <translation>Modell des Separators wird heruntergeladen</translation>
    </message>
    <message>
        <source>The separator&apos;s model could not be fetched: %1</source>
        <translation>Das Modell des Separators konnte nicht heruntergeladen werden: %1</translation>
    </message>
    <message>
        <source>the voice service&apos;s isolator needs the API key (Tools &gt; Set elevenlabs_api_key env var, or for voxsplice-cli the environment variable elevenlabs_api_key)</source>
        <translation>der Isolator des Stimmdienstes braucht den API-Schlüssel (Extras &gt; Umgebungsvariable elevenlabs_api_key setzen, oder für voxsplice-cli die Umgebungsvariable elevenlabs_api_key)</translation>
    </message>
</context>
<context>
    <name>BatchRun</name>
    <message>
        <source>Working out the cost</source>
        <translation>Kosten werden berechnet</translation>
    </message>
</context>
<context>
    <name>CliOptions</name>
    <message>
        <source>%1 needs a value</source>
        <translation>%1 braucht einen Wert</translation>
    </message>
    <message>
        <source>--pieces-at-once takes a number from 1 to 15, not %1</source>
        <translation>--pieces-at-once erwartet eine Zahl von 1 bis 15, nicht %1</translation>
    </message>
    <message>
        <source>--list-voices takes no videos</source>
        <translation>--list-voices nimmt keine Videos an</translation>
    </message>
    <message>
        <source>no video given</source>
        <translation>kein Video angegeben</translation>
    </message>
    <message>
        <source>--out is missing: where do the new videos go?</source>
        <translation>--out fehlt: Wohin sollen die neuen Videos?</translation>
    </message>
    <message>
        <source>unknown option %1</source>
        <translation>unbekannte Option %1</translation>
    </message>
    <message>
        <source>--redo takes the number of a piece, not %1</source>
        <translation>--redo erwartet die Nummer eines Stücks, nicht %1</translation>
    </message>
    <message>
        <source>--seed takes a number from 0 to 4294967295, not %1</source>
        <translation>--seed erwartet eine Zahl von 0 bis 4294967295, nicht %1</translation>
    </message>
    <message>
        <source>--redo needs --work with the run&apos;s folder and the one video of that run</source>
        <translation>--redo braucht --work mit dem Ordner des Laufs und das eine Video dieses Laufs</translation>
    </message>
    <message>
        <source>--max-speakers takes a number from 1 to 32, not %1</source>
        <translation>--max-speakers erwartet eine Zahl von 1 bis 32, nicht %1</translation>
    </message>
    <message>
        <source>--voice-for takes N=VOICE (the speaker&apos;s number from 1, a voice or &quot;original&quot;), not %1</source>
        <translation>--voice-for erwartet N=VOICE (die Nummer des Sprechers ab 1, eine Stimme oder &quot;original&quot;), nicht %1</translation>
    </message>
    <message>
        <source>--list-speakers takes one video</source>
        <translation>--list-speakers nimmt genau ein Video an</translation>
    </message>
    <message>
        <source>--voice-for and --max-speakers need --speakers or --speakers-from</source>
        <translation>--voice-for und --max-speakers brauchen --speakers oder --speakers-from</translation>
    </message>
    <message>
        <source>--estimate, --list-voices and --list-speakers go alone</source>
        <translation>--estimate, --list-voices und --list-speakers stehen allein</translation>
    </message>
    <message>
        <source>%1; see --help</source>
        <translation>%1; siehe --help</translation>
    </message>
    <message>
        <source>Usage: voxsplice-cli --out DIR [options] VIDEO...
       voxsplice-cli --estimate [options] VIDEO...
       voxsplice-cli --list-voices
       voxsplice-cli --list-speakers [--max-speakers N] VIDEO
       voxsplice-cli --work DIR --redo N --out DIR [--voice V] [--seed S]
                     [--voice-for N=VOICE] VIDEO

Gives the speech of each video another voice, one video after the other: its audio
extracted, split into pieces, each converted, joined and laid under the picture again
(Full Auto). The new video goes to DIR as &lt;name&gt;_AI.mp4 (or .mkv). A video that fails
does not stop the next.

Options:
  --out DIR             where the new videos go
  --voice NAME_OR_ID    the voice, by name (&quot;Liam&quot;, in any case) or id
  --pieces-at-once N    pieces converted at the same time, 1 to 15
  --keep-background     keep the music and sounds under the new voice
  --no-keep-background  do not keep them
  --offline             change the voice on this machine, without the voice service
  --work DIR            the working folder, made if missing (default: a new one in the
                        cache folder, removed when the run ends)
  --cache DIR           the cache of the voice service&apos;s answers (default: the user&apos;s);
                        runs that share one, at once or later, pay once for the same
                        audio
  --yes                 start even when the account&apos;s credits would not do, and fetch
                        the separator&apos;s model where it is needed
  --estimate            print what converting the videos costs; convert nothing
  --list-voices         print the voices: the 45 fixed ones, then the account&apos;s own
  --redo N              convert piece N of the run kept in --work again, as a new take
                        (asked of the service, never the cache), and make the video
                        again with it; the other pieces stay as they are
  --seed S              the new take&apos;s seed (default: a new one)
  --speakers            find the speakers (once, with the voice service&apos;s speech to
                        text) and convert only their speech, each in their own voice
  --max-speakers N      at most N speakers (default: as many as are found)
  --voice-for N=VOICE   speaker N (numbered in order of first speech) in VOICE: a name,
                        an id, or &quot;original&quot; to keep their voice; the others get
                        --voice
  --speakers-from FILE  the speakers from a WebVTT transcript with voice tags
                        (&lt;v Host&gt;...), instead of the speech to text
  --list-speakers       print the speakers of a video: number, speaking time, turns
                        and first words (found once, then from the cache)
  -h, --help            print this text
  --version             print the version

What is not given here comes from the window&apos;s remembered settings (voice, its
settings, pieces at once, keep background and where it is split off, piece length,
cache limit). The API key comes from the environment variable elevenlabs_api_key, or
from where the window stored it. Before a run that costs credits, one line says what
all the videos cost.

Exit status: 0 when every video is done, 1 when one failed, the run was stopped
(Ctrl+C) or the voice service refused the key, 2 for wrong arguments, a video that is
not there, an --out folder that cannot be made, a working folder in use by another
run, or one that holds no run of the video to redo a piece of; 75 when every video
that failed met the account&apos;s limit of requests at once all the run long (run it
again later).
</source>
        <extracomment>The option names, DIR, VIDEO, NAME_OR_ID and N stay as they are; the descriptions of the options begin in the 23rd column.</extracomment>
        <translation>Aufruf: voxsplice-cli --out DIR [Optionen] VIDEO...
        voxsplice-cli --estimate [Optionen] VIDEO...
        voxsplice-cli --list-voices
        voxsplice-cli --list-speakers [--max-speakers N] VIDEO
        voxsplice-cli --work DIR --redo N --out DIR [--voice V] [--seed S]
                      [--voice-for N=VOICE] VIDEO

Gibt der Sprache jedes Videos eine andere Stimme, ein Video nach dem anderen: Sein
Audio wird extrahiert, in Stücke geteilt, jedes Stück umgewandelt, alles
zusammengefügt und wieder unter das Bild gelegt (Vollautomatik). Das neue Video kommt
als &lt;Name&gt;_AI.mp4 (oder .mkv) nach DIR. Schlägt ein Video fehl, geht es trotzdem mit
dem nächsten weiter.

Optionen:
  --out DIR             wohin die neuen Videos kommen
  --voice NAME_OR_ID    die Stimme, nach Name (&quot;Liam&quot;, Groß-/Kleinschreibung egal)
                        oder ID
  --pieces-at-once N    wie viele Stücke gleichzeitig umgewandelt werden, 1 bis 15
  --keep-background     Musik und Geräusche unter der neuen Stimme behalten
  --no-keep-background  sie nicht behalten
  --offline             die Stimme auf diesem Rechner ändern, ohne den Stimmdienst
  --work DIR            der Arbeitsordner, wird angelegt, falls er fehlt (Standard:
                        ein neuer im Cache-Ordner, nach dem Lauf wieder entfernt)
  --cache DIR           der Cache-Ordner für die Antworten des Stimmdienstes (Standard:
                        der des Benutzers); Läufe, die einen teilen, gleichzeitig oder
                        nacheinander, zahlen für dasselbe Audio nur einmal
  --yes                 auch starten, wenn die Credits des Kontos nicht reichen, und
                        das Modell des Separators herunterladen, wo es gebraucht wird
  --estimate            ausgeben, was das Umwandeln kostet; nichts umwandeln
  --list-voices         die Stimmen ausgeben: 45 feste, dann die eigenen des Kontos
  --redo N              Stück N des in --work gehaltenen Laufs erneut umwandeln, als
                        neue Aufnahme (beim Dienst, nie aus dem Cache), und das Video
                        damit neu erstellen; die anderen Stücke bleiben, wie sie sind
  --seed S              der Seed der neuen Aufnahme (Standard: ein neuer)
  --speakers            die Sprecher finden (einmal, mit der Spracherkennung des
                        Stimmdienstes) und nur ihre Sprache umwandeln, jede in der
                        eigenen Stimme
  --max-speakers N      höchstens N Sprecher (Standard: so viele, wie gefunden werden)
  --voice-for N=VOICE   Sprecher N (nummeriert in der Reihenfolge, in der sie zuerst
                        sprechen) in VOICE: ein Name, eine ID oder &quot;original&quot;, um die
                        eigene Stimme zu behalten; die anderen bekommen --voice
  --speakers-from FILE  die Sprecher aus einem WebVTT-Transkript mit Stimm-Tags
                        (&lt;v Host&gt;...), statt aus der Spracherkennung
  --list-speakers       die Sprecher eines Videos ausgeben: Nummer, Sprechzeit,
                        Wortwechsel und erste Worte (einmal ermittelt, dann aus dem
                        Cache)
  -h, --help            diesen Text ausgeben
  --version             die Version ausgeben

Was hier nicht angegeben ist, kommt aus den gespeicherten Einstellungen des Fensters
(Stimme, ihre Einstellungen, Stücke gleichzeitig, Hintergrund behalten und wo er
abgetrennt wird, Stücklänge, Cache-Grenze). Der API-Schlüssel kommt aus der
Umgebungsvariablen elevenlabs_api_key oder von dort, wo das Fenster ihn gespeichert
hat. Vor einem Lauf, der Credits kostet, nennt eine Zeile die Kosten aller Videos.

Exit-Status: 0, wenn jedes Video fertig ist, 1, wenn eines fehlgeschlagen ist, der Lauf
angehalten wurde (Strg+C) oder der Stimmdienst den Schlüssel abgelehnt hat, 2 bei
falschen Argumenten, einem Video, das es nicht gibt, einem --out-Ordner, der nicht
angelegt werden kann, wenn ein anderer Lauf den Arbeitsordner verwendet oder wenn er
keinen Lauf des Videos enthält, dessen Stück neu umgewandelt werden soll; 75, wenn
jedes fehlgeschlagene Video den ganzen Lauf über an die Grenze des Kontos für
gleichzeitige Anfragen stieß (später erneut ausführen).
</translation>
    </message>
</context>
<context>
    <name>CliSession</name>
    <message>
        <source>Stopping once the answer already paid for is kept.</source>
        <translation>Wird angehalten, sobald die bereits bezahlte Antwort gesichert ist.</translation>
    </message>
    <message>
        <source>Stopping once the %1 answers already paid for are kept.</source>
        <translation>Wird angehalten, sobald die %1 bereits bezahlten Antworten gesichert sind.</translation>
    </message>
    <message>
        <source>Ctrl+C again stops now.</source>
        <translation>Erneut Strg+C hält sofort an.</translation>
    </message>
    <message>
        <source>The account&apos;s own voices could not be read: %1</source>
        <translation>Die eigenen Stimmen des Kontos konnten nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>Unknown voice: %1. voxsplice-cli --list-voices lists them.</source>
        <translation>Unbekannte Stimme: %1. voxsplice-cli --list-voices listet die Stimmen auf.</translation>
    </message>
    <message>
        <source>Nothing to pay: the offline voice converts on this machine.</source>
        <translation>Nichts zu bezahlen: Die Offline-Stimme wandelt auf diesem Rechner um.</translation>
    </message>
    <message>
        <source>%1 holds no run to redo a piece of.</source>
        <translation>%1 enthält keinen Lauf, dessen Stück neu umgewandelt werden könnte.</translation>
    </message>
    <message>
        <source>done: %1</source>
        <translation>fertig: %1</translation>
    </message>
    <message>
        <source>No such video: %1</source>
        <translation>Video nicht gefunden: %1</translation>
    </message>
    <message>
        <source>The output folder %1 cannot be made.</source>
        <translation>Der Ausgabeordner %1 kann nicht angelegt werden.</translation>
    </message>
    <message>
        <source>The videos need about %1 credits, but the account has %2 left: the run would stop part-way. Start it all the same?</source>
        <translation>Die Videos brauchen etwa %1 Credits, das Konto hat aber nur noch %2: Der Lauf würde mittendrin abbrechen. Trotzdem starten?</translation>
    </message>
    <message>
        <source>%1 of %1 videos done</source>
        <translation>%1 von %1 Videos fertig</translation>
    </message>
    <message>
        <source>%1 of %2 videos done; failed: %3</source>
        <translation>%1 von %2 Videos fertig; fehlgeschlagen: %3</translation>
    </message>
    <message>
        <source>Stopped; %1 of %2 videos done</source>
        <translation>Angehalten; %1 von %2 Videos fertig</translation>
    </message>
    <message>
        <source>done</source>
        <translation>fertig</translation>
    </message>
</context>
<context>
    <name>ConsoleHost</name>
    <message>
        <source>Yes: --yes was given.</source>
        <translation>Ja: --yes wurde angegeben.</translation>
    </message>
    <message>
        <source>No: give --yes to agree.</source>
        <translation>Nein: Geben Sie --yes an, um zuzustimmen.</translation>
    </message>
    <message>
        <source>failed: %1</source>
        <translation>fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>%1 left</source>
        <translation>noch %1</translation>
    </message>
</context>
<context>
    <name>ConvertStep</name>
    <message>
        <source>%1: %2 (the offline voice ignores them)</source>
        <translation>%1: %2 (die Offline-Stimme beachtet sie nicht)</translation>
    </message>
    <message>
        <source>convert.py not found?</source>
        <translation>convert.py nicht gefunden?</translation>
    </message>
    <message>
        <source>%1 files found</source>
        <translation>%1 Dateien gefunden</translation>
    </message>
    <message>
        <source>Skipped %1: no segment number in its name</source>
        <translation>%1 übersprungen: keine Segmentnummer im Namen</translation>
    </message>
    <message>
        <source>Piece %1 of %2 is missing: %3 is not in %4.

Split the audio again.</source>
        <translation>Stück %1 von %2 fehlt: %3 ist nicht in %4.

Teilen Sie das Audio erneut.</translation>
    </message>
    <message>
        <source>No output files in %1?</source>
        <translation>Keine Ausgabedateien in %1?</translation>
    </message>
    <message>
        <source>Working out the cost</source>
        <translation>Kosten werden berechnet</translation>
    </message>
    <message>
        <source>Not converted: cancelled</source>
        <translation>Nicht umgewandelt: abgebrochen</translation>
    </message>
    <message>
        <source>Not converted: too few credits</source>
        <translation>Nicht umgewandelt: zu wenige Credits</translation>
    </message>
    <message>
        <source>too few credits</source>
        <translation>zu wenige Credits</translation>
    </message>
    <message>
        <source>starting %1</source>
        <translation>%1 wird gestartet</translation>
    </message>
    <message>
        <source>Could not remove the earlier converted file %1. Close any program that uses it and try again.</source>
        <translation>Die früher umgewandelte Datei %1 konnte nicht entfernt werden. Schließen Sie alle Programme, die sie verwenden, und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>Converting: %1 of %2 done, %3 running</source>
        <translation>Umwandlung: %1 von %2 fertig, %3 in Arbeit</translation>
    </message>
    <message>
        <source>convert.py said it wrote the converted file, but it is not there:
%1

What it said:
%2</source>
        <translation>convert.py meldete, die umgewandelte Datei sei geschrieben, aber sie ist nicht vorhanden:
%1

Meldung von convert.py:
%2</translation>
    </message>
    <message>
        <source>Converted %1 into %2, but could not remove the segment. Delete it before joining, or it is joined twice.</source>
        <translation>%1 wurde in %2 umgewandelt, aber das Segment konnte nicht entfernt werden. Löschen Sie es vor dem Zusammenfügen, sonst wird es doppelt zusammengefügt.</translation>
    </message>
    <message>
        <source>Converting: %1 of %2 done</source>
        <translation>Umwandlung: %1 von %2 fertig</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>The voice service takes %1 at once for this account: going on with %1</source>
        <translation>Der Stimmdienst nimmt für dieses Konto %1 gleichzeitig an: Es geht mit %1 weiter</translation>
    </message>
    <message>
        <source>The voice service is busy with other requests of this account: trying again in %1 s</source>
        <translation>Der Stimmdienst ist mit anderen Anfragen dieses Kontos beschäftigt: neuer Versuch in %1 s</translation>
    </message>
    <message>
        <source>Could not write %1</source>
        <translation>%1 konnte nicht geschrieben werden</translation>
    </message>
    <message>
        <source>Stopped</source>
        <translation>Angehalten</translation>
    </message>
    <message>
        <source>a piece could not be converted</source>
        <translation>ein Stück konnte nicht umgewandelt werden</translation>
    </message>
    <message>
        <source>Complete!</source>
        <translation>Fertig!</translation>
    </message>
    <message>
        <source>Stopping once the piece already paid for is kept</source>
        <translation>Wird angehalten, sobald das bereits bezahlte Stück gesichert ist</translation>
    </message>
    <message>
        <source>Stopping once the %1 pieces already paid for are kept</source>
        <translation>Wird angehalten, sobald die %1 bereits bezahlten Stücke gesichert sind</translation>
    </message>
    <message>
        <source>Nothing to convert: every speaker keeps their voice, or is converted already</source>
        <translation>Nichts umzuwandeln: Jeder Sprecher behält seine Stimme oder ist schon umgewandelt</translation>
    </message>
    <message>
        <source>Some turns were given to another speaker since the pieces were cut. Run Full Auto to cut them again.</source>
        <translation>Einige Redebeiträge wurden einem anderen Sprecher gegeben, nachdem die Stücke geschnitten wurden. Starten Sie die Vollautomatik, um sie neu zu schneiden.</translation>
    </message>
</context>
<context>
    <name>CostDialog</name>
    <message>
        <source>Convert (about %1 credits)</source>
        <translation>Umwandeln (etwa %1 Credits)</translation>
    </message>
    <message>
        <source>Don&apos;t ask again for runs under</source>
        <translation>Nicht mehr fragen bei Läufen unter</translation>
    </message>
    <message>
        <source>What the run costs</source>
        <translation>Was der Lauf kostet</translation>
    </message>
    <message>
        <source>Credits under which runs go without asking</source>
        <translation>Credits, unter denen Läufe ohne Nachfrage starten</translation>
    </message>
    <message>
        <source>credits</source>
        <translation>Credits</translation>
    </message>
</context>
<context>
    <name>CostQuestion</name>
    <message>
        <source>This run needs about %1 credits, but the account has %2 left; it would stop half-way.

Convert anyway?</source>
        <translation>Dieser Lauf braucht etwa %1 Credits, das Konto hat aber nur noch %2; er würde auf halbem Weg anhalten.

Trotzdem umwandeln?</translation>
    </message>
    <message>
        <source>The cost could not be worked out: %1</source>
        <translation>Die Kosten konnten nicht berechnet werden: %1</translation>
    </message>
    <message>
        <source>too few credits</source>
        <translation>zu wenige Credits</translation>
    </message>
</context>
<context>
    <name>Estimate</name>
    <message>
        <source>%1 min</source>
        <translation>%1 min</translation>
    </message>
    <message>
        <source>%1 MB</source>
        <translation>%1 MB</translation>
    </message>
    <message>
        <source>To the voice service: %1, about %2 credits; from the cache: %3</source>
        <translation>An den Stimmdienst: %1, etwa %2 Credits; aus dem Cache: %3</translation>
    </message>
    <message>
        <source>Of these, %1 also to the voice isolator, which keeps the background: the credits count it twice</source>
        <translation>Davon %1 auch an den Isolator, der den Hintergrund erhält: Bei den Credits zählt diese Zeit doppelt</translation>
    </message>
    <message>
        <source>Not counted, ffmpeg cannot read their audio: %1</source>
        <translation>Nicht mitgezählt, da ffmpeg ihr Audio nicht lesen kann: %1</translation>
    </message>
    <message>
        <source>Credits left: %1, renewed on %2</source>
        <translation>Verbleibende Credits: %1, erneuert am %2</translation>
    </message>
    <message>
        <source>Credits left: %1</source>
        <translation>Verbleibende Credits: %1</translation>
    </message>
    <message>
        <source>Credits left: not known (%1)</source>
        <translation>Verbleibende Credits: unbekannt (%1)</translation>
    </message>
    <message>
        <source>Cache: %1 of %2 in %3</source>
        <translation>Cache: %1 von %2 in %3</translation>
    </message>
    <message>
        <source>To the speech to text, to find the speakers: %1, about %2 credits</source>
        <translation>An die Spracherkennung, um die Sprecher zu finden: %1, etwa %2 Credits</translation>
    </message>
</context>
<context>
    <name>ExtractStep</name>
    <message>
        <source>Could not delete %1</source>
        <translation>%1 konnte nicht gelöscht werden</translation>
    </message>
    <message>
        <source>ffmpeg wrote no raw.mp4</source>
        <translation>ffmpeg hat keine raw.mp4 geschrieben</translation>
    </message>
</context>
<context>
    <name>FfmpegRun</name>
    <message>
        <source>Stopped</source>
        <translation>Angehalten</translation>
    </message>
    <message>
        <source>Error: %1</source>
        <translation>Fehler: %1</translation>
    </message>
    <message>
        <source>ffmpeg failed</source>
        <translation>ffmpeg fehlgeschlagen</translation>
    </message>
    <message>
        <source>ffmpeg failed: %1</source>
        <translation>ffmpeg fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Error: ffmpeg wrote %1, but it does not decode, so it was removed.%2<byte value="xd"/>
%3<byte value="xd"/>
%4</source>
        <translation>Fehler: ffmpeg hat %1 geschrieben, aber die Datei lässt sich nicht dekodieren und wurde deshalb entfernt.%2<byte value="xd"/>
%3<byte value="xd"/>
%4</translation>
    </message>
    <message>
        <source>%1 does not decode</source>
        <translation>%1 lässt sich nicht dekodieren</translation>
    </message>
    <message>
        <source>Error: ffmpeg wrote %1, but it could not take its name:<byte value="xd"/>
%2</source>
        <translation>Fehler: ffmpeg hat %1 geschrieben, aber die Datei konnte ihren Namen nicht erhalten:<byte value="xd"/>
%2</translation>
    </message>
    <message>
        <source>could not write %1</source>
        <translation>%1 konnte nicht geschrieben werden</translation>
    </message>
</context>
<context>
    <name>FileListBox</name>
    <message>
        <source>Piece %1 of %2, %3 to %4: </source>
        <translation>Stück %1 von %2, %3 bis %4: </translation>
    </message>
    <message>
        <source>converted (%1)</source>
        <translation>umgewandelt (%1)</translation>
    </message>
    <message>
        <source>failed: %1</source>
        <translation>fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>converting</source>
        <translation>wird umgewandelt</translation>
    </message>
    <message>
        <source>not converted</source>
        <translation>nicht umgewandelt</translation>
    </message>
    <message>
        <source>redone (%1)</source>
        <translation>neu umgewandelt (%1)</translation>
    </message>
    <message>
        <source>Piece %1 of %2, %3, turns from %4 to %5: </source>
        <translation>Stück %1 von %2, %3, Redebeiträge von %4 bis %5: </translation>
    </message>
</context>
<context>
    <name>Form1</name>
    <message>
        <source>Convert (about %1 credits)?</source>
        <translation>Umwandeln (etwa %1 Credits)?</translation>
    </message>
    <message>
        <source>%1 is still running. Wait for it to finish, or press Stop.</source>
        <translation>%1 läuft noch. Warten Sie, bis es beendet ist, oder klicken Sie auf „Stopp“.</translation>
    </message>
    <message>
        <source>%1: done</source>
        <translation>%1: fertig</translation>
    </message>
    <message>
        <source>%1 failed: %2</source>
        <translation>%1 fehlgeschlagen: %2</translation>
    </message>
    <message>
        <source>%1: stopped</source>
        <translation>%1: angehalten</translation>
    </message>
    <message>
        <source>Stopping…</source>
        <translation>Wird angehalten…</translation>
    </message>
    <message>
        <source>Sto&amp;p</source>
        <translation>Sto&amp;pp</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>E&amp;xtras</translation>
    </message>
    <message>
        <source>&amp;Convert wmv to mp4</source>
        <translation>wmv in mp4 &amp;umwandeln</translation>
    </message>
    <message>
        <source>Set &amp;elevenlabs_api_key env var</source>
        <translation>Umgebungsvariable &amp;elevenlabs_api_key setzen</translation>
    </message>
    <message>
        <source>Voice &amp;Samples</source>
        <translation>Stimm&amp;proben</translation>
    </message>
    <message>
        <source>&amp;Voice Settings...</source>
        <translation>&amp;Stimmeinstellungen...</translation>
    </message>
    <message>
        <source>&amp;Preview...</source>
        <translation>&amp;Vorschau...</translation>
    </message>
    <message>
        <source>&amp;Queue...</source>
        <translation>&amp;Warteschlange...</translation>
    </message>
    <message>
        <source>Open File</source>
        <translation>Datei öffnen</translation>
    </message>
    <message>
        <source>exe ok: %1</source>
        <translation>exe ok: %1</translation>
    </message>
    <message>
        <source>Add videos</source>
        <translation>Videos hinzufügen</translation>
    </message>
    <message>
        <source>No videos among what was given.</source>
        <translation>Unter den angegebenen Dateien ist kein Video.</translation>
    </message>
    <message>
        <source>1 video added, with the voice and settings of now.</source>
        <translation>1 Video hinzugefügt, mit der aktuellen Stimme und den aktuellen Einstellungen.</translation>
    </message>
    <message>
        <source>%1 videos added, with the voice and settings of now.</source>
        <translation>%1 Videos hinzugefügt, mit der aktuellen Stimme und den aktuellen Einstellungen.</translation>
    </message>
    <message>
        <source>Nothing left to run: add videos first.</source>
        <translation>Nichts mehr zu tun: Fügen Sie zuerst Videos hinzu.</translation>
    </message>
    <message>
        <source>Stopped: %1</source>
        <translation>Angehalten: %1</translation>
    </message>
    <message>
        <source>Finished: %1</source>
        <translation>Beendet: %1</translation>
    </message>
    <message>
        <source>Running</source>
        <translation>Läuft</translation>
    </message>
    <message>
        <source>Queue</source>
        <translation>Warteschlange</translation>
    </message>
    <message>
        <source>Could not write the queue to %1</source>
        <translation>Die Warteschlange konnte nicht in %1 geschrieben werden</translation>
    </message>
    <message>
        <source>The queue was running when voxsplice closed: 1 video waits. Go on?</source>
        <translation>Die Warteschlange lief, als voxsplice geschlossen wurde: 1 Video wartet. Fortsetzen?</translation>
    </message>
    <message>
        <source>The queue was running when voxsplice closed: %1 videos wait. Go on?</source>
        <translation>Die Warteschlange lief, als voxsplice geschlossen wurde: %1 Videos warten. Fortsetzen?</translation>
    </message>
    <message>
        <source>Extracting</source>
        <translation>Extrahieren</translation>
    </message>
    <message>
        <source>Splitting</source>
        <translation>Teilen</translation>
    </message>
    <message>
        <source>Converting</source>
        <translation>Umwandeln</translation>
    </message>
    <message>
        <source>Joining</source>
        <translation>Zusammenfügen</translation>
    </message>
    <message>
        <source>Final output</source>
        <translation>Endausgabe</translation>
    </message>
    <message>
        <source>Full Auto</source>
        <translation>Vollautomatik</translation>
    </message>
    <message>
        <source>Save File</source>
        <translation>Datei speichern</translation>
    </message>
    <message>
        <source>Converting to MP4</source>
        <translation>Umwandeln in MP4</translation>
    </message>
    <message>
        <source>Paste in your elevenlabs api key</source>
        <translation>Fügen Sie Ihren ElevenLabs-API-Schlüssel ein</translation>
    </message>
    <message>
        <source>The key is set for this session, but it could not be kept for the next ones.

%1</source>
        <translation>Der Schlüssel gilt für diese Sitzung, konnte aber nicht für die nächsten gespeichert werden.

%1</translation>
    </message>
    <message>
        <source>no input</source>
        <translation>keine Eingabe</translation>
    </message>
    <message>
        <source>Redo piece</source>
        <translation>Stück neu umwandeln</translation>
    </message>
    <message>
        <source>Use earlier take</source>
        <translation>Frühere Aufnahme verwenden</translation>
    </message>
    <message>
        <source>Speakers from su&amp;btitles...</source>
        <translation>Sprecher aus &amp;Untertiteln...</translation>
    </message>
    <message>
        <source>Speakers from subtitles (WebVTT)</source>
        <translation>Sprecher aus Untertiteln (WebVTT)</translation>
    </message>
    <message>
        <source>The speakers come from %1</source>
        <translation>Die Sprecher kommen aus %1</translation>
    </message>
    <message>
        <source>Could not write %1</source>
        <translation>%1 konnte nicht geschrieben werden</translation>
    </message>
    <message>
        <source>The turns go to their new speaker when Full Auto runs again.</source>
        <translation>Die Redebeiträge gehen an ihren neuen Sprecher, wenn die Vollautomatik wieder läuft.</translation>
    </message>
    <message>
        <source>The queue needs about %1 credits, but the account has %2 left; it would stop part-way.

Start it anyway?</source>
        <translation>Die Warteschlange braucht etwa %1 Credits, das Konto hat aber nur noch %2; sie würde unterwegs anhalten.

Trotzdem starten?</translation>
    </message>
    <message>
        <source>The queue: %1</source>
        <translation>Die Warteschlange: %1</translation>
    </message>
    <message>
        <source>Video %1 of %2: </source>
        <translation>Video %1 von %2: </translation>
    </message>
    <message>
        <source>Running: %1</source>
        <translation>Läuft: %1</translation>
    </message>
    <message>
        <source>%1; about %2 left</source>
        <translation>%1; noch etwa %2</translation>
    </message>
</context>
<context>
    <name>FullAutoRun</name>
    <message>
        <source>Extracting</source>
        <translation>Extrahieren</translation>
    </message>
    <message>
        <source>Splitting</source>
        <translation>Teilen</translation>
    </message>
    <message>
        <source>AI Conversion</source>
        <translation>KI-Umwandlung</translation>
    </message>
    <message>
        <source>Joining</source>
        <translation>Zusammenfügen</translation>
    </message>
    <message>
        <source>Final output</source>
        <translation>Endausgabe</translation>
    </message>
    <message>
        <source>The output folder does not exist:
%1</source>
        <translation>Der Ausgabeordner existiert nicht:
%1</translation>
    </message>
    <message>
        <source>%1 exists. Replace it?</source>
        <translation>%1 existiert bereits. Ersetzen?</translation>
    </message>
    <message>
        <source>Not started: %1 is kept</source>
        <translation>Nicht gestartet: %1 bleibt erhalten</translation>
    </message>
    <message>
        <source>Not started: cancelled</source>
        <translation>Nicht gestartet: abgebrochen</translation>
    </message>
    <message>
        <source>Stopped</source>
        <translation>Angehalten</translation>
    </message>
    <message>
        <source>%1 failed: %2; the run stops here</source>
        <translation>%1 fehlgeschlagen: %2; der Lauf endet hier</translation>
    </message>
    <message>
        <source>Not started: too few credits</source>
        <translation>Nicht gestartet: zu wenige Credits</translation>
    </message>
    <message>
        <source>A run with the voice service needs an ElevenLabs API key: set it with Tools &gt; Set elevenlabs_api_key env var, or (for voxsplice-cli) in the environment variable elevenlabs_api_key.</source>
        <translation>Ein Lauf mit dem Stimmdienst braucht einen ElevenLabs-API-Schlüssel: Legen Sie ihn mit „Extras &gt; Umgebungsvariable elevenlabs_api_key setzen“ fest, oder (für voxsplice-cli) in der Umgebungsvariablen elevenlabs_api_key.</translation>
    </message>
</context>
<context>
    <name>InputPanel</name>
    <message>
        <source>&amp;Input</source>
        <translation>&amp;Input</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>&amp;OutDir</source>
        <translation>&amp;OutDir</translation>
    </message>
    <message>
        <source>Can Drag &amp; Drop</source>
        <translation>Hierher ziehen und ablegen</translation>
    </message>
    <message>
        <source>Where the new video goes</source>
        <translation>Wohin das neue Video kommt</translation>
    </message>
    <message>
        <source>Choose the video (several go to the queue)</source>
        <translation>Video wählen (mehrere kommen in die Warteschlange)</translation>
    </message>
    <message>
        <source>Choose the input video</source>
        <translation>Eingabevideo wählen</translation>
    </message>
    <message>
        <source>Choose the output folder</source>
        <translation>Ausgabeordner wählen</translation>
    </message>
</context>
<context>
    <name>InputProbe</name>
    <message>
        <source>ffprobe not found: %1

It comes with ffmpeg; put it in the same folder.</source>
        <translation>ffprobe nicht gefunden: %1

Es gehört zu ffmpeg; legen Sie es in denselben Ordner.</translation>
    </message>
    <message>
        <source>ffmpeg cannot read %1:
%2</source>
        <translation>ffmpeg kann %1 nicht lesen:
%2</translation>
    </message>
    <message>
        <source>%1

has no audio track: there is no speech in it to give another voice.</source>
        <translation>%1

hat keine Tonspur: Darin ist keine Sprache, der eine andere Stimme gegeben werden könnte.</translation>
    </message>
</context>
<context>
    <name>KeptStreams</name>
    <message>
        <source>the original %1 voice</source>
        <translation>die Originalstimme im Format %1</translation>
    </message>
    <message>
        <source>the %1 picture</source>
        <translation>das Bild im Format %1</translation>
    </message>
    <message>
        <source>the %1 audio track</source>
        <translation>die Tonspur im Format %1</translation>
    </message>
    <message>
        <source>the %1 subtitles</source>
        <translation>die Untertitel im Format %1</translation>
    </message>
    <message>
        <source>the attachments (fonts and the like)</source>
        <translation>die Anhänge (Schriften und Ähnliches)</translation>
    </message>
</context>
<context>
    <name>LevelRun</name>
    <message>
        <source>ffmpeg failed: %1</source>
        <translation>ffmpeg fehlgeschlagen: %1</translation>
    </message>
</context>
<context>
    <name>MacroHelp</name>
    <message>
        <source>%1 = input file</source>
        <translation>%1 = Eingabedatei</translation>
    </message>
    <message>
        <source>%2 = output dir</source>
        <translation>%2 = Ausgabeordner</translation>
    </message>
    <message>
        <source>%pf = input file parent folder</source>
        <translation>%pf = Ordner, in dem die Eingabedatei liegt</translation>
    </message>
    <message>
        <source>%ap = exe home directory</source>
        <translation>%ap = Ordner, in dem die exe liegt</translation>
    </message>
    <message>
        <source>%ap = working folder, </source>
        <translation>%ap = Arbeitsordner, </translation>
    </message>
    <message>
        <source>%bn = base name of input file</source>
        <translation>%bn = Basisname der Eingabedatei</translation>
    </message>
    <message>
        <source>%vo = shift that starts the input&apos;s picture at 0 s (keeps the audio in step)</source>
        <translation>%vo = Verschiebung, mit der das Bild der Eingabe bei 0 s beginnt (hält den Ton synchron)</translation>
    </message>
    <message>
        <source>%ext = mp4, or mkv where MP4 cannot hold the input&apos;s picture (with %keep: or what else is kept)</source>
        <translation>%ext = mp4, oder mkv, wo MP4 das Bild der Eingabe nicht aufnehmen kann (mit %keep: oder was sonst behalten wird)</translation>
    </message>
    <message>
        <source>%keep = ffmpeg&apos;s options that keep the input&apos;s other tracks, subtitles, chapters and tags (Reintegrate)</source>
        <translation>%keep = ffmpeg-Optionen, die die übrigen Spuren, Untertitel, Kapitel und Tags der Eingabe behalten (Wiedereinfügen)</translation>
    </message>
    <message>
        <source>%ao = where the new voice starts: 0 s, a little later in mkv so that no track starts before 0 (Reintegrate; %vo follows it)</source>
        <translation>%ao = wo die neue Stimme beginnt: 0 s, in mkv etwas später, damit keine Spur vor 0 beginnt (Wiedereinfügen; %vo folgt ihr)</translation>
    </message>
    <message>
        <source>%cuts = where Split cuts: in the speaker&apos;s pauses, every piece at most 299 s (for -segment_times)</source>
        <translation>%cuts = wo Teilen schneidet: in den Sprechpausen, jedes Stück höchstens 299 s (für -segment_times)</translation>
    </message>
    <message>
        <source>we expect ffmpeg in %ap</source>
        <translation>ffmpeg wird erwartet in %ap</translation>
    </message>
</context>
<context>
    <name>MediaInfo</name>
    <message>
        <source>ffprobe gave no report</source>
        <translation>ffprobe lieferte keinen Bericht</translation>
    </message>
    <message>
        <source>error %1</source>
        <translation>Fehler %1</translation>
    </message>
</context>
<context>
    <name>Mp4Conversion</name>
    <message>
        <source>FileSize: %1</source>
        <translation>Dateigröße: %1</translation>
    </message>
</context>
<context>
    <name>PartsPanel</name>
    <message>
        <source>Parts</source>
        <translation>Teile</translation>
    </message>
    <message>
        <source>refresh</source>
        <translation>aktualisieren</translation>
    </message>
    <message>
        <source>open</source>
        <translation>öffnen</translation>
    </message>
    <message>
        <source>del output*</source>
        <translation>output* löschen</translation>
    </message>
    <message>
        <source>Read the parts folder again</source>
        <translation>Den Teileordner neu einlesen</translation>
    </message>
    <message>
        <source>Open the parts folder in the file manager</source>
        <translation>Den Teileordner im Dateimanager öffnen</translation>
    </message>
    <message>
        <source>Remove the cut pieces (output*) from the parts folder</source>
        <translation>Die geschnittenen Stücke (output*) aus dem Teileordner entfernen</translation>
    </message>
    <message>
        <source>Re&amp;do piece</source>
        <translation>Stüc&amp;k neu umwandeln</translation>
    </message>
    <message>
        <source>&amp;Use earlier take</source>
        <translation>Frühere Aufnahme verwe&amp;nden</translation>
    </message>
    <message>
        <source>Convert this piece again with the voice and settings chosen now, as a new take; the video is made again with it</source>
        <translation>Dieses Stück mit der jetzt gewählten Stimme und ihren Einstellungen erneut umwandeln, als neue Aufnahme; das Video wird damit neu erstellt</translation>
    </message>
    <message>
        <source>Bring back the take this piece had before, without a request</source>
        <translation>Die Aufnahme zurückholen, die dieses Stück vorher hatte, ohne neue Anfrage</translation>
    </message>
</context>
<context>
    <name>PauseAnalysis</name>
    <message>
        <source>ffprobe cannot tell the length of %1: %2</source>
        <translation>ffprobe kann die Länge von %1 nicht bestimmen: %2</translation>
    </message>
    <message>
        <source>Looking for the pauses</source>
        <translation>Pausen werden gesucht</translation>
    </message>
    <message>
        <source>No cut: the audio fits in one piece</source>
        <translation>Kein Schnitt: Das Audio passt in ein Stück</translation>
    </message>
    <message>
        <source>1 cut: %1 in pauses, %2 at the quietest moment</source>
        <translation>1 Schnitt: %1 in Pausen, %2 an der leisesten Stelle</translation>
    </message>
    <message>
        <source>%1 cuts: %2 in pauses, %3 at the quietest moment</source>
        <translation>%1 Schnitte: %2 in Pausen, %3 an der leisesten Stelle</translation>
    </message>
    <message>
        <source>ffmpeg cannot tell the length of %1</source>
        <translation>ffmpeg kann die Länge von %1 nicht bestimmen</translation>
    </message>
</context>
<context>
    <name>PickerDialogs</name>
    <message>
        <source>&amp;Show</source>
        <translation>Schlüssel an&amp;zeigen</translation>
    </message>
</context>
<context>
    <name>PreviewDialog</name>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>Start at</source>
        <translation>Beginn bei</translation>
    </message>
    <message>
        <source>first speech</source>
        <translation>Sprachbeginn</translation>
    </message>
    <message>
        <source>Where the 30 s begin, as 1:15 or 75; empty: where the speech begins.</source>
        <translation>Wo die 30 s beginnen, als 1:15 oder 75; leer: wo die Sprache beginnt.</translation>
    </message>
    <message>
        <source>Convert 30 s</source>
        <translation>30 s umwandeln</translation>
    </message>
    <message>
        <source>Write the start as 1:15 or 75 (seconds), or leave it empty for the first speech.</source>
        <translation>Geben Sie den Beginn als 1:15 oder 75 (Sekunden) an, oder lassen Sie das Feld für den Sprachbeginn leer.</translation>
    </message>
    <message>
        <source>No folder for the preview: %1</source>
        <translation>Kein Ordner für die Vorschau: %1</translation>
    </message>
    <message>
        <source>%1 with %2</source>
        <translation>%1 mit %2</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Not converted.</source>
        <translation>Nicht umgewandelt.</translation>
    </message>
    <message>
        <source>No preview: %1</source>
        <translation>Keine Vorschau: %1</translation>
    </message>
    <message>
        <source>%1 to %2 (from the first speech)</source>
        <translation>%1 bis %2 (ab dem Sprachbeginn)</translation>
    </message>
    <message>
        <source>%1 to %2</source>
        <translation>%1 bis %2</translation>
    </message>
    <message>
        <source>: from the cache, nothing paid.</source>
        <translation>: aus dem Cache, nichts bezahlt.</translation>
    </message>
    <message>
        <source>: about %1 credits.</source>
        <translation>: etwa %1 Credits.</translation>
    </message>
    <message>
        <source>: changed on this machine, nothing paid.</source>
        <translation>: auf diesem Rechner geändert, nichts bezahlt.</translation>
    </message>
    <message>
        <source>: nothing paid.</source>
        <translation>: nichts bezahlt.</translation>
    </message>
    <message>
        <source>This machine has no sound output; the excerpt and its new voice are in %1 while this window is open.</source>
        <translation>Dieser Rechner hat keine Tonausgabe; der Ausschnitt und seine neue Stimme liegen in %1, solange dieses Fenster offen ist.</translation>
    </message>
</context>
<context>
    <name>ProcessJob</name>
    <message>
        <source>Could not start %1: %2</source>
        <translation>%1 konnte nicht gestartet werden: %2</translation>
    </message>
    <message>
        <source>%1 ended abnormally</source>
        <translation>%1 wurde unerwartet beendet</translation>
    </message>
    <message>
        <source>%1 ended with exit status %2</source>
        <translation>%1 endete mit Exit-Status %2</translation>
    </message>
</context>
<context>
    <name>ProgressPanel</name>
    <message>
        <source>Ai Conversion Progress</source>
        <translation>Fortschritt der KI-Umwandlung</translation>
    </message>
    <message>
        <source>&amp;Full Auto</source>
        <translation>Voll&amp;automatik</translation>
    </message>
    <message>
        <source>Keep ori&amp;ginal voice</source>
        <translation>Ori&amp;ginalstimme behalten</translation>
    </message>
    <message>
        <source>P&amp;lay</source>
        <translation>Abspie&amp;len</translation>
    </message>
    <message>
        <source>Open fol&amp;der</source>
        <translation>Ordner ö&amp;ffnen</translation>
    </message>
    <message>
        <source>Tool output</source>
        <translation>Werkzeugausgabe</translation>
    </message>
    <message>
        <source>Log</source>
        <translation>Protokoll</translation>
    </message>
    <message>
        <source>Keep the original voice as a second track: after the new voice, not the default one, titled &quot;Original voice&quot;.</source>
        <translation>Die Originalstimme als zweite Spur behalten: nach der neuen Stimme, nicht als Standardspur, mit dem Titel „Original voice“.</translation>
    </message>
    <message>
        <source>Done: %1</source>
        <translation>Fertig: %1</translation>
    </message>
    <message>
        <source>Failed: %1</source>
        <translation>Fehlgeschlagen: %1</translation>
    </message>
</context>
<context>
    <name>QueueColumns</name>
    <message>
        <source>Video</source>
        <translation>Video</translation>
    </message>
    <message>
        <source>Voice</source>
        <translation>Stimme</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Output</source>
        <translation>Ausgabe</translation>
    </message>
</context>
<context>
    <name>QueueWindow</name>
    <message>
        <source>Queue</source>
        <translation>Warteschlange</translation>
    </message>
    <message>
        <source>Add videos...</source>
        <translation>Videos hinzufügen...</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Up</source>
        <translation>Nach oben</translation>
    </message>
    <message>
        <source>Down</source>
        <translation>Nach unten</translation>
    </message>
    <message>
        <source>Clear finished</source>
        <translation>Erledigte entfernen</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Starten</translation>
    </message>
    <message>
        <source>Stop after this video</source>
        <translation>Nach diesem Video anhalten</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Run again</source>
        <translation>Erneut ausführen</translation>
    </message>
</context>
<context>
    <name>RedoPieceRun</name>
    <message>
        <source>There is no run to redo a piece of: run Full Auto first.</source>
        <translation>Es gibt keinen Lauf, dessen Stück neu umgewandelt werden könnte: Starten Sie zuerst die Vollautomatik.</translation>
    </message>
    <message>
        <source>There is no piece %1: this run has pieces 1 to %2.</source>
        <translation>Es gibt kein Stück %1: Dieser Lauf hat die Stücke 1 bis %2.</translation>
    </message>
    <message>
        <source>Piece %1 of %2 is not converted: finish the run (AI Convert) before redoing a piece.</source>
        <translation>Stück %1 von %2 ist nicht umgewandelt: Beenden Sie den Lauf (Mit KI umwandeln), bevor Sie ein Stück neu umwandeln.</translation>
    </message>
    <message>
        <source>Piece %1 has no earlier take.</source>
        <translation>Stück %1 hat keine frühere Aufnahme.</translation>
    </message>
    <message>
        <source>Could not write %1</source>
        <translation>%1 konnte nicht geschrieben werden</translation>
    </message>
    <message>
        <source>Piece %1: the earlier take again (%2)</source>
        <translation>Stück %1: wieder die frühere Aufnahme (%2)</translation>
    </message>
    <message>
        <source>Rejoin Audio, then Reintegrate, to make the video with this take</source>
        <translation>Audio zusammenfügen, dann Wiedereinfügen, um das Video mit dieser Aufnahme zu erstellen</translation>
    </message>
    <message>
        <source>The run&apos;s original audio (%1) is gone: run Full Auto again.</source>
        <translation>Das Original-Audio des Laufs (%1) fehlt: Starten Sie die Vollautomatik erneut.</translation>
    </message>
    <message>
        <source>ffmpeg failed: %1</source>
        <translation>ffmpeg fehlgeschlagen: %1</translation>
    </message>
</context>
<context>
    <name>ReintegrateStep</name>
    <message>
        <source>%1 was written by an earlier video of this run: this one is %2</source>
        <translation>%1 wurde von einem früheren Video dieses Laufs geschrieben: Dieses hier heißt %2</translation>
    </message>
    <message>
        <source>Could not find joined.mp4</source>
        <translation>joined.mp4 nicht gefunden</translation>
    </message>
    <message>
        <source>%1 exists. Replace it?</source>
        <translation>%1 existiert bereits. Ersetzen?</translation>
    </message>
    <message>
        <source>%1_AI.mkv (Matroska): MP4 cannot hold %2 of this video, which is kept untouched.</source>
        <translation>%1_AI.mkv (Matroska): MP4 kann aus diesem Video %2 nicht aufnehmen, das unverändert übernommen wird.</translation>
    </message>
    <message>
        <source>%1_AI.mkv (Matroska): MP4 cannot hold %2 of this video, which are kept untouched.</source>
        <translation>%1_AI.mkv (Matroska): MP4 kann aus diesem Video %2 nicht unverändert aufnehmen.</translation>
    </message>
    <message>
        <source>Tools &gt; Convert wmv to mp4 makes an MP4 of the video if you need one.</source>
        <translation>„Extras &gt; wmv in mp4 umwandeln“ erstellt bei Bedarf eine MP4-Fassung des Videos.</translation>
    </message>
</context>
<context>
    <name>RejoinStep</name>
    <message>
        <source>Could not write %1</source>
        <translation>%1 konnte nicht geschrieben werden</translation>
    </message>
    <message>
        <source>The pieces in the parts folder are not all of one format (a piece made elsewhere, or a changed template?).</source>
        <translation>Die Stücke im Teileordner haben nicht alle dasselbe Format (ein anderswo erstelltes Stück oder eine geänderte Vorlage?).</translation>
    </message>
    <message>
        <source>Could not delete %1</source>
        <translation>%1 konnte nicht gelöscht werden</translation>
    </message>
    <message>
        <source>ffmpeg wrote no joined.mp4</source>
        <translation>ffmpeg hat keine joined.mp4 geschrieben</translation>
    </message>
    <message>
        <source>%1

Split the audio again.</source>
        <translation>%1

Teilen Sie das Audio erneut.</translation>
    </message>
    <message>
        <source>No files in %1?</source>
        <translation>Keine Dateien in %1?</translation>
    </message>
    <message>
        <source>%1 is not in %2.

Split the audio again.</source>
        <translation>%1 ist nicht in %2.

Teilen Sie das Audio erneut.</translation>
    </message>
    <message>
        <source>Laying the converted turns onto the original audio</source>
        <translation>Die umgewandelten Redebeiträge werden auf das Original-Audio gelegt</translation>
    </message>
    <message>
        <source>convert.py wrote no joined.mp4</source>
        <translation>convert.py hat keine joined.mp4 geschrieben</translation>
    </message>
</context>
<context>
    <name>RunControl</name>
    <message>
        <source>Stop now? 1 answer already paid for will be lost.</source>
        <translation>Jetzt anhalten? 1 bereits bezahlte Antwort geht verloren.</translation>
    </message>
    <message>
        <source>Stop now? %1 answers already paid for will be lost.</source>
        <translation>Jetzt anhalten? %1 bereits bezahlte Antworten gehen verloren.</translation>
    </message>
</context>
<context>
    <name>RunFolder</name>
    <message>
        <source>Could not make a working folder in %1: %2</source>
        <translation>In %1 konnte kein Arbeitsordner angelegt werden: %2</translation>
    </message>
    <message>
        <source>%1 holds files that voxsplice did not make; choose an empty folder</source>
        <translation>%1 enthält Dateien, die nicht von voxsplice stammen; wählen Sie einen leeren Ordner</translation>
    </message>
    <message>
        <source>Could not make the working folder %1</source>
        <translation>Der Arbeitsordner %1 konnte nicht angelegt werden</translation>
    </message>
    <message>
        <source>The working folder %1 is in use by another voxsplice run.</source>
        <translation>Der Arbeitsordner %1 wird von einem anderen voxsplice-Lauf verwendet.</translation>
    </message>
</context>
<context>
    <name>RunRecord</name>
    <message>
        <source>no record of this version</source>
        <translation>keine Aufzeichnung dieser Version</translation>
    </message>
    <message>
        <source>it names no input or no sample rate</source>
        <translation>sie nennt keine Eingabe oder keine Abtastrate</translation>
    </message>
    <message>
        <source>its piece %1 is not readable</source>
        <translation>ihr Stück %1 ist nicht lesbar</translation>
    </message>
    <message>
        <source>it holds no pieces</source>
        <translation>sie enthält keine Stücke</translation>
    </message>
    <message>
        <source>its length is not the sum of its pieces</source>
        <translation>ihre Länge ist nicht die Summe ihrer Stücke</translation>
    </message>
    <message>
        <source>Piece %1 of %2 is missing: %3 is not in %4.</source>
        <translation>Stück %1 von %2 fehlt: %3 ist nicht in %4.</translation>
    </message>
    <message>
        <source>Piece %1 of %2 is missing: neither %3 nor %4 is in %5.</source>
        <translation>Stück %1 von %2 fehlt: Weder %3 noch %4 ist in %5.</translation>
    </message>
    <message>
        <source>its turn %1 is not readable</source>
        <translation>sein Redebeitrag %1 ist nicht lesbar</translation>
    </message>
    <message>
        <source>it names no original audio</source>
        <translation>es nennt kein Original-Audio</translation>
    </message>
</context>
<context>
    <name>RunRecordFile</name>
    <message>
        <source>The record of the pieces is damaged (%1):
%2

Split the audio again.</source>
        <translation>Die Aufzeichnung der Stücke ist beschädigt (%1):
%2

Teilen Sie das Audio erneut.</translation>
    </message>
    <message>
        <source>The pieces in %1 were cut from another video:
%2

Split this video&apos;s audio first, or choose that video again.</source>
        <translation>Die Stücke in %1 wurden aus einem anderen Video geschnitten:
%2

Teilen Sie zuerst das Audio dieses Videos, oder wählen Sie jenes Video erneut.</translation>
    </message>
</context>
<context>
    <name>RunStatus</name>
    <message>
        <source>%1 left</source>
        <translation>noch %1</translation>
    </message>
</context>
<context>
    <name>ScriptRun</name>
    <message>
        <source>the script ended without a result</source>
        <translation>das Skript endete ohne Ergebnis</translation>
    </message>
    <message>
        <source>%1 not found: %2</source>
        <translation>%1 nicht gefunden: %2</translation>
    </message>
</context>
<context>
    <name>SpeakerSplit</name>
    <message>
        <source>Could not move %1 to %2</source>
        <translation>%1 konnte nicht nach %2 verschoben werden</translation>
    </message>
    <message>
        <source>ffprobe cannot tell the length of %1: %2</source>
        <translation>ffprobe kann die Länge von %1 nicht bestimmen: %2</translation>
    </message>
    <message>
        <source>Could not read %1</source>
        <translation>%1 konnte nicht gelesen werden</translation>
    </message>
    <message>
        <source>Finding the speakers needs the voice service. With the offline voice, load them from subtitles (WebVTT with voice tags) instead.</source>
        <translation>Um die Sprecher zu finden, wird der Stimmdienst gebraucht. Laden Sie sie mit der Offline-Stimme stattdessen aus Untertiteln (WebVTT mit Stimm-Tags).</translation>
    </message>
    <message>
        <source>Finding the speakers</source>
        <translation>Die Sprecher werden gesucht</translation>
    </message>
    <message>
        <source>%1 is no WebVTT transcript: %2</source>
        <translation>%1 ist kein WebVTT-Transkript: %2</translation>
    </message>
    <message>
        <source>The speech to text answered something else: %1</source>
        <translation>Die Spracherkennung hat etwas anderes geantwortet: %1</translation>
    </message>
    <message>
        <source>1 speaker</source>
        <translation>1 Sprecher</translation>
    </message>
    <message>
        <source>%1 speakers</source>
        <translation>%1 Sprecher</translation>
    </message>
    <message>
        <source>1 turn</source>
        <translation>1 Redebeitrag</translation>
    </message>
    <message>
        <source>%1 turns</source>
        <translation>%1 Redebeiträge</translation>
    </message>
    <message>
        <source>Cutting the speakers&apos; turns: %1 of %2</source>
        <translation>Die Redebeiträge der Sprecher werden geschnitten: %1 von %2</translation>
    </message>
    <message>
        <source>ffmpeg failed: %1</source>
        <translation>ffmpeg fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Could not write %1</source>
        <translation>%1 konnte nicht geschrieben werden</translation>
    </message>
</context>
<context>
    <name>SpeakerSummary</name>
    <message>
        <source>Speaker %1</source>
        <translation>Sprecher %1</translation>
    </message>
    <message>
        <source>1 turn</source>
        <translation>1 Redebeitrag</translation>
    </message>
    <message>
        <source>%1 turns</source>
        <translation>%1 Redebeiträge</translation>
    </message>
    <message>
        <source>%1  %2  %3 speaking, %4  &quot;%5&quot;</source>
        <translation>%1  %2  %3 Sprechzeit, %4  &quot;%5&quot;</translation>
    </message>
</context>
<context>
    <name>SpeakersPanel</name>
    <message>
        <source>Speakers</source>
        <translation>Sprecher</translation>
    </message>
    <message>
        <source>&amp;Give the turn to</source>
        <translation>Redebeitrag &amp;geben an</translation>
    </message>
    <message>
        <source>Turns</source>
        <translation>Redebeiträge</translation>
    </message>
    <message>
        <source>Speaker to give the turn to</source>
        <translation>Sprecher, der den Redebeitrag bekommt</translation>
    </message>
    <message>
        <source>Speaker</source>
        <translation>Sprecher</translation>
    </message>
    <message>
        <source>Speaking</source>
        <translation>Sprechzeit</translation>
    </message>
    <message>
        <source>Hear</source>
        <translation>Anhören</translation>
    </message>
    <message>
        <source>Voice</source>
        <translation>Stimme</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
    <message>
        <source>Words</source>
        <translation>Worte</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Hear %1</source>
        <translation>%1 anhören</translation>
    </message>
    <message>
        <source>Voice of %1</source>
        <translation>Stimme von %1</translation>
    </message>
    <message>
        <source>The window&apos;s voice</source>
        <translation>Die Stimme des Fensters</translation>
    </message>
    <message>
        <source>Original voice</source>
        <translation>Originalstimme</translation>
    </message>
</context>
<context>
    <name>SplitStep</name>
    <message>
        <source>Could not find raw.mp4</source>
        <translation>raw.mp4 nicht gefunden</translation>
    </message>
    <message>
        <source>ffprobe not found: %1

It comes with ffmpeg; put it in the same folder.</source>
        <translation>ffprobe nicht gefunden: %1

Es gehört zu ffmpeg; legen Sie es in denselben Ordner.</translation>
    </message>
    <message>
        <source>Could not delete %1</source>
        <translation>%1 konnte nicht gelöscht werden</translation>
    </message>
    <message>
        <source>Could not create %1</source>
        <translation>%1 konnte nicht angelegt werden</translation>
    </message>
    <message>
        <source>Error: %1</source>
        <translation>Fehler: %1</translation>
    </message>
    <message>
        <source>ffmpeg wrote no pieces</source>
        <translation>ffmpeg hat keine Stücke geschrieben</translation>
    </message>
    <message>
        <source>ffmpeg cannot tell the length of the pieces</source>
        <translation>ffmpeg kann die Länge der Stücke nicht bestimmen</translation>
    </message>
    <message>
        <source>ffmpeg cannot tell the length of the pieces: %1</source>
        <translation>ffmpeg kann die Länge der Stücke nicht bestimmen: %1</translation>
    </message>
    <message>
        <source>Could not write %1</source>
        <translation>%1 konnte nicht geschrieben werden</translation>
    </message>
</context>
<context>
    <name>Startup</name>
    <message>
        <source>voxsplice cannot write to its working folder:
%1

It keeps its working files there. Check that the folder is yours and that its disk is not full or read-only.</source>
        <translation>voxsplice kann nicht in seinen Arbeitsordner schreiben:
%1

Dort legt es seine Arbeitsdateien ab. Prüfen Sie, ob der Ordner Ihnen gehört und ob sein Datenträger weder voll noch schreibgeschützt ist.</translation>
    </message>
    <message>
        <source>voxsplice cannot write to its folder:
%1

It keeps its working files next to the program. Put the program folder somewhere you can write to, for instance in your home folder, and start it from there.</source>
        <translation>voxsplice kann nicht in seinen Ordner schreiben:
%1

Es legt seine Arbeitsdateien neben dem Programm ab. Legen Sie den Programmordner an einen Ort, an dem Sie schreiben dürfen, zum Beispiel in Ihren persönlichen Ordner, und starten Sie es von dort.</translation>
    </message>
    <message>
        <source>voxsplice is already running from this folder:
%1

Both would use the same working files. Use the window that is open, or close it first.</source>
        <translation>voxsplice läuft bereits aus diesem Ordner:
%1

Beide würden dieselben Arbeitsdateien verwenden. Verwenden Sie das geöffnete Fenster, oder schließen Sie es zuerst.</translation>
    </message>
</context>
<context>
    <name>Step</name>
    <message>
        <source>no input</source>
        <translation>keine Eingabe</translation>
    </message>
    <message>
        <source>no output folder</source>
        <translation>kein Ausgabeordner</translation>
    </message>
    <message>
        <source>No voice selected. Choose a voice in the Voice list.</source>
        <translation>Keine Stimme gewählt. Wählen Sie eine Stimme in der Liste „Stimme“.</translation>
    </message>
</context>
<context>
    <name>StepsPanel</name>
    <message>
        <source>Co&amp;mmands</source>
        <translation>&amp;Befehle</translation>
    </message>
    <message>
        <source>The five steps one by one, their ffmpeg command lines and the Python that converts</source>
        <translation>Die fünf Schritte einzeln, ihre ffmpeg-Befehlszeilen und das Python, das umwandelt</translation>
    </message>
    <message>
        <source>Extract Cmd</source>
        <translation>Extract Cmd</translation>
    </message>
    <message>
        <source>&amp;Extract Audio</source>
        <translation>Audio &amp;extrahieren</translation>
    </message>
    <message>
        <source>split cmd</source>
        <translation>split cmd</translation>
    </message>
    <message>
        <source>&amp;Split Audio</source>
        <translation>Audio &amp;teilen</translation>
    </message>
    <message>
        <source>ai translate audio python path:</source>
        <translation>ai translate audio python path:</translation>
    </message>
    <message>
        <source>AI &amp;Convert</source>
        <translation>Mit KI &amp;umwandeln</translation>
    </message>
    <message>
        <source>rejoin cmd</source>
        <translation>rejoin cmd</translation>
    </message>
    <message>
        <source>&amp;Rejoin Audio</source>
        <translation>Audio zusa&amp;mmenfügen</translation>
    </message>
    <message>
        <source>reintegrate</source>
        <translation>reintegrate</translation>
    </message>
    <message>
        <source>Reintegr&amp;ate</source>
        <translation>&amp;Wiedereinfügen</translation>
    </message>
    <message>
        <source>Macros</source>
        <translation>Makros</translation>
    </message>
    <message>
        <source>the five steps one by one, their command lines and Python</source>
        <translation>die fünf Schritte einzeln, ihre Befehlszeilen und Python</translation>
    </message>
    <message>
        <source>open</source>
        <translation>geöffnet</translation>
    </message>
    <message>
        <source>folded</source>
        <translation>eingeklappt</translation>
    </message>
</context>
<context>
    <name>Transcript</name>
    <message>
        <source>it is not JSON (%1)</source>
        <translation>es ist kein JSON (%1)</translation>
    </message>
    <message>
        <source>it holds no list of words</source>
        <translation>es enthält keine Liste von Wörtern</translation>
    </message>
    <message>
        <source>its entry %1 has no time</source>
        <translation>sein Eintrag %1 hat keine Zeit</translation>
    </message>
    <message>
        <source>its entry %1 ends before it starts</source>
        <translation>sein Eintrag %1 endet, bevor er beginnt</translation>
    </message>
    <message>
        <source>it does not start with &quot;WEBVTT&quot;</source>
        <translation>es beginnt nicht mit „WEBVTT“</translation>
    </message>
    <message>
        <source>line %1 is no cue timing: %2</source>
        <translation>Zeile %1 ist keine Zeitangabe eines Untertitels: %2</translation>
    </message>
    <message>
        <source>it holds no cue</source>
        <translation>es enthält keinen Untertitel</translation>
    </message>
</context>
<context>
    <name>UserEnvironment</name>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>Cannot create the folder %1</source>
        <translation>Der Ordner %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Cannot make %1 private to you</source>
        <translation>%1 kann nicht allein für Sie zugänglich gemacht werden</translation>
    </message>
    <message>
        <source>Could not set %1 in this program&apos;s environment: %2</source>
        <translation>%1 konnte in der Umgebung dieses Programms nicht gesetzt werden: %2</translation>
    </message>
    <message>
        <source>Could not store %1 in the registry under HKEY_CURRENT_USER\Environment: %2</source>
        <translation>%1 konnte nicht in der Registrierung unter HKEY_CURRENT_USER\Environment gespeichert werden: %2</translation>
    </message>
    <message>
        <source>%1 is stored, but telling the other programs about it failed: %2. Programs started from Explorer see it after the next sign-in.</source>
        <translation>%1 ist gespeichert, aber die anderen Programme konnten nicht darüber benachrichtigt werden: %2. Programme, die aus dem Explorer gestartet werden, sehen die Änderung nach der nächsten Anmeldung.</translation>
    </message>
</context>
<context>
    <name>VideoQueue</name>
    <message>
        <source>waiting</source>
        <translation>wartet</translation>
    </message>
    <message>
        <source>starting</source>
        <translation>wird gestartet</translation>
    </message>
    <message>
        <source>done</source>
        <translation>fertig</translation>
    </message>
    <message>
        <source>failed: %1</source>
        <translation>fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>angehalten</translation>
    </message>
    <message>
        <source>%1 done, %2 failed</source>
        <translation>%1 fertig, %2 fehlgeschlagen</translation>
    </message>
</context>
<context>
    <name>VoicePanel</name>
    <message>
        <source>&amp;Voice</source>
        <translation>&amp;Stimme</translation>
    </message>
    <message>
        <source>Previe&amp;w</source>
        <translation>&amp;Vorschau</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Pieces at o&amp;nce</source>
        <translation>Stücke gleich&amp;zeitig</translation>
    </message>
    <message>
        <source>&amp;Keep background</source>
        <translation>&amp;Hintergrund behalten</translation>
    </message>
    <message>
        <source>automatic</source>
        <translation>automatisch</translation>
    </message>
    <message>
        <source>service</source>
        <translation>Dienst</translation>
    </message>
    <message>
        <source>local</source>
        <translation>lokal</translation>
    </message>
    <message>
        <source>Hear the voice on 30 s of the input, beside the original, before converting it all. What it costs is asked first.</source>
        <translation>Die Stimme an 30 s der Eingabe im Vergleich zum Original anhören, bevor alles umgewandelt wird. Vorher wird gefragt, ob die Kosten in Ordnung sind.</translation>
    </message>
    <message>
        <source>Voice settings: the model, stability, similarity, style, speaker boost, noise removal and a seed.</source>
        <translation>Stimmeinstellungen: Modell, Stabilität, Ähnlichkeit, Stil, Sprecherverstärkung, Geräuschentfernung und ein Seed.</translation>
    </message>
    <message>
        <source>Voice settings</source>
        <translation>Stimmeinstellungen</translation>
    </message>
    <message>
        <source>How many pieces go to the voice service at once. Every plan takes several (Free 2, Starter 3, Creator 5, Pro 10); a lower figure is used when it says so.</source>
        <translation>Wie viele Stücke gleichzeitig an den Stimmdienst gehen. Jeder Tarif erlaubt mehrere (Free 2, Starter 3, Creator 5, Pro 10); meldet der Dienst eine niedrigere Zahl, wird diese verwendet.</translation>
    </message>
    <message>
        <source>Keep the music and sounds under the new voice: each piece is split into voice and background first; only the voice is changed.</source>
        <translation>Musik und Geräusche unter der neuen Stimme behalten: Jedes Stück wird zuerst in Stimme und Hintergrund getrennt; nur die Stimme wird verändert.</translation>
    </message>
    <message>
        <source>Where the voice is split off: on this machine (local, needs python3-torchaudio; no credits), at the voice service&apos;s isolator (service; costs as much again as the conversion), or local where it can run, else the service (automatic).</source>
        <translation>Wo die Stimme abgetrennt wird: auf diesem Rechner (lokal, braucht python3-torchaudio; keine Credits), beim Isolator des Stimmdienstes (Dienst; kostet noch einmal so viel wie die Umwandlung) oder lokal, wo das möglich ist, sonst beim Dienst (automatisch).</translation>
    </message>
    <message>
        <source>Where the voice is split off</source>
        <translation>Wo die Stimme abgetrennt wird</translation>
    </message>
    <message>
        <source>Voice</source>
        <translation>Stimme</translation>
    </message>
    <message>
        <source>Find &amp;speakers</source>
        <translation>Sprecher &amp;finden</translation>
    </message>
    <message>
        <source>at &amp;most</source>
        <translation>hö&amp;chstens</translation>
    </message>
    <message>
        <source>any number</source>
        <translation>beliebig viele</translation>
    </message>
    <message>
        <source>At most this many speakers</source>
        <translation>Höchstens so viele Sprecher</translation>
    </message>
    <message>
        <source>Give each speaker a voice of their own: the speakers are found once with the voice service&apos;s speech to text (or read from subtitles, Tools menu), and only their speech is converted; music and silence stay as they are.</source>
        <translation>Jedem Sprecher eine eigene Stimme geben: Die Sprecher werden einmal mit der Spracherkennung des Stimmdienstes gefunden (oder aus Untertiteln gelesen, Menü Extras), und nur ihre Sprache wird umgewandelt; Musik und Stille bleiben, wie sie sind.</translation>
    </message>
</context>
<context>
    <name>VoicePreviews</name>
    <message>
        <source>the voice service has no preview of this voice</source>
        <translation>der Stimmdienst hat keine Hörprobe dieser Stimme</translation>
    </message>
</context>
<context>
    <name>VoiceSamplesDialog</name>
    <message>
        <source>Voice Samples</source>
        <translation>Stimmproben</translation>
    </message>
    <message>
        <source>Use this voice</source>
        <translation>Diese Stimme verwenden</translation>
    </message>
    <message>
        <source>This machine has no sound output; the preview is kept in %1</source>
        <translation>Dieser Rechner hat keine Tonausgabe; die Hörprobe liegt in %1</translation>
    </message>
    <message>
        <source>Playing %1</source>
        <translation>%1 wird abgespielt</translation>
    </message>
    <message>
        <source>No preview: %1</source>
        <translation>Keine Vorschau: %1</translation>
    </message>
    <message>
        <source>Previews need an ElevenLabs API key: set it with Tools &gt; Set elevenlabs_api_key env var.</source>
        <translation>Hörproben brauchen einen ElevenLabs-API-Schlüssel: Legen Sie ihn mit „Extras &gt; Umgebungsvariable elevenlabs_api_key setzen“ fest.</translation>
    </message>
    <message>
        <source>No previews: %1</source>
        <translation>Keine Hörproben: %1</translation>
    </message>
    <message>
        <source>Asking the voice service for the previews...</source>
        <translation>Hörproben werden beim Stimmdienst angefragt...</translation>
    </message>
    <message>
        <source>Fetching the preview of %1</source>
        <translation>Hörprobe von %1 wird geladen</translation>
    </message>
</context>
<context>
    <name>VoiceSettings</name>
    <message>
        <source>model %1</source>
        <translation>Modell %1</translation>
    </message>
    <message>
        <source>stability %1</source>
        <translation>Stabilität %1</translation>
    </message>
    <message>
        <source>similarity %1</source>
        <translation>Ähnlichkeit %1</translation>
    </message>
    <message>
        <source>style %1</source>
        <translation>Stil %1</translation>
    </message>
    <message>
        <source>speaker boost on</source>
        <translation>Sprecherverstärkung an</translation>
    </message>
    <message>
        <source>speaker boost off</source>
        <translation>Sprecherverstärkung aus</translation>
    </message>
    <message>
        <source>background noise removed</source>
        <translation>Hintergrundgeräusche entfernt</translation>
    </message>
    <message>
        <source>background noise kept</source>
        <translation>Hintergrundgeräusche behalten</translation>
    </message>
    <message>
        <source>seed %1</source>
        <translation>Seed %1</translation>
    </message>
    <message>
        <source>the service&apos;s defaults</source>
        <translation>die Standardwerte des Dienstes</translation>
    </message>
</context>
<context>
    <name>VoiceSettingsDialog</name>
    <message>
        <source>Voice settings</source>
        <translation>Stimmeinstellungen</translation>
    </message>
    <message>
        <source>Multilingual (%1)</source>
        <translation>Mehrsprachig (%1)</translation>
    </message>
    <message>
        <source>English (%1)</source>
        <translation>Englisch (%1)</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Modell</translation>
    </message>
    <message>
        <source>Stability</source>
        <translation>Stabilität</translation>
    </message>
    <message>
        <source>Higher: a steadier, more even voice; lower: livelier.</source>
        <translation>Höher: eine ruhigere, gleichmäßigere Stimme; niedriger: lebhafter.</translation>
    </message>
    <message>
        <source>Similarity boost</source>
        <translation>Ähnlichkeitsverstärkung</translation>
    </message>
    <message>
        <source>How closely the new voice keeps to the chosen one.</source>
        <translation>Wie genau sich die neue Stimme an die gewählte hält.</translation>
    </message>
    <message>
        <source>Style</source>
        <translation>Stil</translation>
    </message>
    <message>
        <source>Exaggerates the chosen voice&apos;s style.</source>
        <translation>Überzeichnet den Stil der gewählten Stimme.</translation>
    </message>
    <message>
        <source>Speaker boost</source>
        <translation>Sprecherverstärkung</translation>
    </message>
    <message>
        <source>Half checked: the service decides for the chosen voice.</source>
        <translation>Teilweise markiert: Der Dienst entscheidet für die gewählte Stimme.</translation>
    </message>
    <message>
        <source>Remove background noise</source>
        <translation>Hintergrundgeräusche entfernen</translation>
    </message>
    <message>
        <source>The service removes noise (and music) from each piece before changing its voice.</source>
        <translation>Der Dienst entfernt Geräusche (und Musik) aus jedem Stück, bevor er dessen Stimme ändert.</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keiner</translation>
    </message>
    <message>
        <source>The same seed and settings give the service&apos;s best try at the same result.</source>
        <translation>Mit gleichem Seed und gleichen Einstellungen versucht der Dienst bestmöglich, dasselbe Ergebnis zu liefern.</translation>
    </message>
    <message>
        <source>Seed</source>
        <translation>Seed</translation>
    </message>
    <message>
        <source>Service defaults</source>
        <translation>Standardwerte des Dienstes</translation>
    </message>
    <message>
        <source>Unchecked: the service&apos;s own default.</source>
        <translation>Nicht markiert: der eigene Standardwert des Dienstes.</translation>
    </message>
    <message>
        <source>default</source>
        <translation>Standard</translation>
    </message>
</context>
<context>
    <name>VoiceTrial</name>
    <message>
        <source>A preview with the voice service needs an ElevenLabs API key: set it with Tools &gt; Set elevenlabs_api_key env var.</source>
        <translation>Eine Vorschau mit dem Stimmdienst braucht einen ElevenLabs-API-Schlüssel: Legen Sie ihn mit „Extras &gt; Umgebungsvariable elevenlabs_api_key setzen“ fest.</translation>
    </message>
    <message>
        <source>Looking for the first speech</source>
        <translation>Sprachbeginn wird gesucht</translation>
    </message>
    <message>
        <source>Cutting %1 to %2</source>
        <translation>%1 bis %2 wird ausgeschnitten</translation>
    </message>
    <message>
        <source>Working out the cost</source>
        <translation>Kosten werden berechnet</translation>
    </message>
    <message>
        <source>A preview of %1 s with %2 costs about %3 credits of the %4 left</source>
        <translation>Eine Vorschau von %1 s mit %2 kostet etwa %3 der noch verbleibenden %4 Credits</translation>
    </message>
    <message>
        <source>A preview of %1 s with %2 costs about %3 credits</source>
        <translation>Eine Vorschau von %1 s mit %2 kostet etwa %3 Credits</translation>
    </message>
    <message>
        <source>(half of it for the voice isolator, which keeps the background)</source>
        <translation>(die Hälfte davon für den Isolator, der den Hintergrund erhält)</translation>
    </message>
    <message>
        <source>Convert it?</source>
        <translation>Umwandeln?</translation>
    </message>
    <message>
        <source>Converting with %1</source>
        <translation>Umwandlung mit %1</translation>
    </message>
    <message>
        <source>The voice service is busy with other requests of this account: try again once they are done.</source>
        <translation>Der Stimmdienst ist mit anderen Anfragen dieses Kontos beschäftigt: Versuchen Sie es erneut, wenn diese erledigt sind.</translation>
    </message>
    <message>
        <source>Stopping once the excerpt already paid for is kept</source>
        <translation>Wird angehalten, sobald der bereits bezahlte Ausschnitt gesichert ist</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>voxsplice: ffmpeg not found at %1</source>
        <translation>voxsplice: ffmpeg nicht gefunden unter %1</translation>
    </message>
</context>
</TS>
